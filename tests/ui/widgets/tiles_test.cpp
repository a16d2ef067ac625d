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

TEST(SizeTileTest, TilesInAGridLineUpWithOptionTilesAndCastTheirShadowOutside) {
    QWidget column;
    auto* layout = new QVBoxLayout(&column);
    layout->setContentsMargins(20, 20, 20, 20);
    auto* option = new OptionTile("camera.aperture", "Фото", "Живая съёмка", false);
    layout->addWidget(option);
    auto* grid = new QGridLayout;
    grid->setSpacing(8);
    auto* left = new SizeTile("×2", "вдвое больше", true);
    auto* right = new SizeTile("4K", "3840 × 2160", false);
    grid->addWidget(left, 0, 0);
    grid->addWidget(right, 0, 1);
    layout->addLayout(grid);
    column.resize(300, 220);
    column.show();
    layout->activate();

    const auto visible = [&column](const SizeTile* tile) {
        return tile->tileRect().translated(tile->mapTo(&column, QPoint()));
    };
    EXPECT_DOUBLE_EQ(visible(left).height(), 60.0);
    EXPECT_EQ(visible(left).left(), option->geometry().left());
    EXPECT_EQ(visible(right).right(), QRectF(option->geometry()).right());
    EXPECT_EQ(visible(right).left() - visible(left).right(), 8.0);

    // The selected tile's accent shadow falls below the widget, not cut at its edge.
    const QImage image = testing::renderTransparent(column);
    const QRectF tile = visible(left);
    EXPECT_GT(testing::pixel(image, int(tile.center().x()), int(tile.bottom()) + 4).alpha(), 20);
}

} // namespace
} // namespace clarivex
