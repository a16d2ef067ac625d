#include "ui/widgets/card.h"

#include "ui/paint/theme.h"
#include "ui/rendering.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

using testing::pixel;
using testing::renderTransparent;

TEST(CardTest, TheWidgetIsTheCardAndItsShadowFallsOutsideIt) {
    QWidget parent;
    parent.resize(400, 300);
    auto* content = new QLabel("Готово");
    Card* frame = card(content, 20, false, &parent);
    frame->setGeometry(50, 50, 300, 150);
    parent.show();
    EXPECT_EQ(QRectF(content->geometry()), frame->cardRect());
    EXPECT_EQ(frame->cardRect(), QRectF(frame->rect()));
    const QImage image = renderTransparent(parent);
    // The shadow falls 10 below the card, beyond the widget, and is not cut at its edge.
    const int below = pixel(image, 200, 208).alpha();
    EXPECT_GT(below, 40);
    EXPECT_GT(below, pixel(image, 200, 42).alpha());
    EXPECT_GT(pixel(image, 46, 125).alpha(), 10);
}

} // namespace
} // namespace clarivex
