#include <vips/vips8>

#include "ui/paint/media_preview.h"

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace clarivex;

TEST(MediaPreviewImage, ColoursAndTransparencySurviveTheTrip) {
    test::TemporaryFolder folder{"clarivex-preview"};
    const auto opaque = folder / "opaque.png";
    (vips::VImage::black(4, 3) + std::vector<double>{200, 100, 50})
        .cast(VIPS_FORMAT_UCHAR)
        .pngsave(opaque.c_str());
    const auto clear = folder / "clear.png";
    (vips::VImage::black(4, 3) + std::vector<double>{200, 100, 50, 0})
        .cast(VIPS_FORMAT_UCHAR)
        .pngsave(clear.c_str());
    const auto shown = [](const std::filesystem::path& file) {
        const auto picture = PreviewDecoder::decode(file, MediaKind::image, {{100, 100}});
        return picture ? MediaPreview::image(*picture) : QImage();
    };
    EXPECT_EQ(shown(opaque).pixel(1, 1), qRgb(200, 100, 50));
    EXPECT_EQ(shown(clear).pixel(1, 1), qRgba(0, 0, 0, 0));
    EXPECT_TRUE(MediaPreview::image({}).isNull());
}

TEST(MediaPreviewPixelated, KeepsTheShapeInAFewCells) {
    const struct {
        QSize picture;
        int cells;
        QSize expected;
    } cases[] = {
        {{300, 200}, 48, {48, 32}},
        {{4000, 10}, 48, {48, 1}},
        {{300, 200}, -3, {1, 1}},
        // Extreme shapes stay small instead of growing with the picture's height.
        {{10, 1400}, 48, {2, 384}},
    };
    for (const auto& [size, cells, expected] : cases) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::red);
        EXPECT_EQ(MediaPreview::pixelated(picture, cells).size(), expected)
            << size.width() << "×" << size.height() << " in " << cells;
    }
    EXPECT_TRUE(MediaPreview::pixelated(QImage(), 48).isNull());
}
