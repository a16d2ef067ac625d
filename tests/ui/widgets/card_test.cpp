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

TEST(CardTest, SquareHighlightedCardHasSharpCornersAndAnAccentBorder) {
    Card frame(0, true);
    frame.resize(300, 200);
    const QImage image = renderTransparent(frame);
    const QPoint corner = frame.cardRect().topLeft().toPoint();
    const QColor edge = pixel(image, corner.x(), corner.y());
    EXPECT_EQ(edge.alpha(), 255);
    EXPECT_GT(edge.red(), 150);
    EXPECT_LT(edge.green(), 120);
    // Inside the border, the card's fill.
    const QColor fill = pixel(image, corner.x() + 5, corner.y() + 5);
    EXPECT_LT(std::abs(fill.red() - Theme::surfaceRaised().red()), 4);
}

TEST(CardTest, RoundedCardLeavesItsCornerOpen) {
    Card frame(20, false);
    frame.resize(300, 200);
    const QImage image = renderTransparent(frame);
    const QPoint corner = frame.cardRect().topLeft().toPoint();
    // Only the faint shadow reaches the corner point itself.
    EXPECT_LT(pixel(image, corner.x(), corner.y()).alpha(), 60);
    EXPECT_EQ(pixel(image, corner.x() + 30, corner.y() + 30).alpha(), 255);
}

} // namespace
} // namespace clarivex
