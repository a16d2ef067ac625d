#include "ui/paint/theme.h"
#include "ui/text/format_size.h"

#include <QFontInfo>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(ThemeTest, ColourFromHexSplitsTheChannelsAndKeepsTheOpacity) {
    const QColor accent = Theme::color(0xF12617, 0.25);
    EXPECT_EQ(accent.red(), 0xF1);
    EXPECT_EQ(accent.green(), 0x26);
    EXPECT_EQ(accent.blue(), 0x17);
    EXPECT_NEAR(accent.alphaF(), 0.25, 1e-3);
    EXPECT_EQ(Theme::accent(), QColor(0xF1, 0x26, 0x17));
    EXPECT_EQ(Theme::line(), Theme::color(0xFFFFFF, 0.09));
    EXPECT_EQ(Theme::lineStrong(), Theme::color(0xFFFFFF, 0.16));
}

TEST(ThemeTest, FontsAreInterWithTheirWeightsAndWidths) {
    EXPECT_EQ(QFontInfo(Theme::body(13)).family(), "Inter");
    EXPECT_EQ(Theme::title(24).weight(), QFont::ExtraBold);
    EXPECT_EQ(Theme::body(13).weight(), QFont::Normal);
    EXPECT_EQ(Theme::caps(10).weight(), QFont::Bold);
    EXPECT_EQ(Theme::caps(10).stretch(), int(QFont::Expanded));
    EXPECT_EQ(Theme::digits(12, QFont::Medium).weight(), QFont::Medium);
    // Sizes are layout points, fractional ones included.
    EXPECT_NEAR(QFontInfo(Theme::body(10.5)).pixelSize(), 10.5, 0.6);
}

TEST(ThemeTest, MixBlendsEveryChannel) {
    const QColor half = Theme::mix(QColor(0, 0, 0, 0), QColor(200, 100, 50, 255), 0.5);
    EXPECT_NEAR(half.red(), 100, 1);
    EXPECT_NEAR(half.green(), 50, 1);
    EXPECT_NEAR(half.alpha(), 128, 1);
    EXPECT_EQ(Theme::mix(Qt::red, Qt::blue, 2.0), QColor(Qt::blue));
}

TEST(FormatSizeTest, UsesDecimalUnitsAndHandsNegativeCountsOn) {
    EXPECT_EQ(formatSize(0).toStdString(), "0 байт");
    EXPECT_EQ(formatSize(4'320'000'000).toStdString(), "4,32 ГБ");
    EXPECT_TRUE(formatSize(-3'400'000).startsWith('-'));
}

} // namespace
} // namespace clarivex
