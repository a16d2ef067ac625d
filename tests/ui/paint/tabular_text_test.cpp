#include "ui/paint/tabular_text.h"

#include "ui/paint/theme.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(TabularTextTest, ElidedTextFitsAndEndsInAnEllipsis) {
    const QFont font = Theme::digits(12, QFont::Medium);
    const QString detail =
        QStringLiteral("Кадры 97–144 из 240 · пачка 3 из 5 · realesr-animevideov3");
    EXPECT_EQ(TabularText::elided(font, detail, 1000), detail);
    for (const qreal width : {200.0, 60.0}) {
        const QString cut = TabularText::elided(font, detail, width);
        EXPECT_LE(TabularText::width(font, cut), width);
        EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    }
    EXPECT_TRUE(TabularText::elided(font, detail, 1).isEmpty());
}

} // namespace
} // namespace clarivex
