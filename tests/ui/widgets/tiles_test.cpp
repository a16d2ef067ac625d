#include "ui/rendering.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/size_tile.h"

#include <QFontMetricsF>
#include <QGridLayout>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(OptionTileTest, LongSubtitleIsCutOnOneLine) {
    OptionTile tile("film.stack", "Видео",
                    "Очень длинная подпись, которая никак не помещается в одну строку плитки");
    tile.resize(220, tile.heightForWidth(220));
    const QString visible = tile.visibleSubtitle();
    EXPECT_TRUE(visible.endsWith(QChar(0x2026))) << visible.toStdString();
    EXPECT_LT(visible.size(), tile.subtitle().size());
    EXPECT_LE(QFontMetricsF(tile.font()).height(), tile.textRect().height());
}

TEST(OptionTileTest, ShowsTheCallersSelectionAndReportsClicks) {
    OptionTile tile("camera.aperture", "Фото", "Живая съёмка", false);
    tile.resize(260, 50);
    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    tile.click();
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(tile.isSelected());
    tile.setSelected(true, false);
    EXPECT_TRUE(tile.isSelected());
}

} // namespace
} // namespace clarivex
