#include "ui/widgets/option_tile.h"

#include <gtest/gtest.h>

namespace clarivex {
namespace {

TEST(OptionTileTest, AnOptionTilesLongSubtitleIsCutOnOneLine) {
    OptionTile tile("film.stack", "Видео",
                    "Очень длинная подпись, которая никак не помещается в одну строку плитки");
    tile.resize(220, tile.heightForWidth(220));
    const QString visible = tile.visibleSubtitle();
    EXPECT_TRUE(visible.endsWith(QChar(0x2026))) << visible.toStdString();
}

} // namespace
} // namespace clarivex
