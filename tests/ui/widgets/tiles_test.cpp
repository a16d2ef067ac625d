#include "ui/widgets/option_tile.h"
#include "ui/widgets/size_tile.h"

#include <QFontMetricsF>
#include <QSignalSpy>

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

TEST(OptionTileTest, LayoutFollowsThePaddingAndIconBlock) {
    OptionTile tile("camera.aperture", "Фото", "Живая съёмка", false);
    tile.resize(260, tile.heightForWidth(260));
    EXPECT_EQ(tile.iconRect().left(), 8.0);
    EXPECT_EQ(tile.iconRect().size(), QSizeF(32, 32));
    EXPECT_EQ(tile.textRect().left(), 8.0 + 32.0 + 10.0);
    EXPECT_GE(tile.height(), 48);
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

TEST(SizeTileTest, TileIsSixtyHighInsideItsShadowRoom) {
    SizeTile tile("4K", "3840 × 2160", true);
    tile.resize(tile.sizeHint().width() + 40, tile.sizeHint().height());
    EXPECT_DOUBLE_EQ(tile.tileRect().height(), 60.0);
    EXPECT_EQ(tile.tileRect(), QRectF(tile.rect()).marginsRemoved(QMarginsF(SizeTile::room())));
}

} // namespace
} // namespace clarivex
