#include "ui/paint/tabular_text.h"

#include "ui/paint/theme.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

// Texts that differ only in their digits must be equally wide, or the text around a counting
// number jumps with every change.
TEST(TabularTextTest, TextsDifferingOnlyInDigitsAreEquallyWide) {
    const QFont font = Theme::digits(12, QFont::Medium);
    const std::pair<QString, QString> pairs[] = {
        {QStringLiteral("осталось ~11 с"), QStringLiteral("осталось ~80 с")},
        {QStringLiteral("Кадры 97–144 из 240"), QStringLiteral("Кадры 11–100 из 248")},
        {QStringLiteral("1×"), QStringLiteral("4×")},
    };
    for (const auto& [first, second] : pairs)
        EXPECT_DOUBLE_EQ(TabularText::width(font, first), TabularText::width(font, second))
            << first.toStdString();
    // Text without digits keeps its own width.
    const QString words = QStringLiteral("Без оценки");
    EXPECT_DOUBLE_EQ(TabularText::width(font, words), QFontMetricsF(font).horizontalAdvance(words));
}

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
