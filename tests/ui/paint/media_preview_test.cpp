// libvips' GLib headers must come before Qt's "signals" keyword macro.
#include <vips/vips8>

#include "ui/paint/media_preview.h"

#include "core/process/tools.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

class MediaPreviewLoad : public ::testing::Test {
protected:
    // A JPEG stored `width` × `height` whose orientation tag turns it a quarter to the right.
    std::filesystem::path rotatedPhoto(int width, int height) {
        const auto path = folder / "rotated.jpg";
        auto image =
            vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3)).copy();
        image.set("orientation", 6);
        image.jpegsave(path.c_str());
        return path;
    }
    std::optional<std::filesystem::path> clip(const std::string& duration) {
        const auto ffmpeg = Tools::locateProgram("ffmpeg", Tools::Environment::current());
        if (!ffmpeg)
            return std::nullopt;
        const auto path = folder / ("clip-" + duration + ".mp4");
        const auto made =
            test::runProgram(*ffmpeg, {"-v", "error", "-f", "lavfi", "-i",
                                       "testsrc=size=160x90:rate=25:duration=" + duration,
                                       "-pix_fmt", "yuv420p", path.string()});
        if (made.exitStatus != 0)
            return std::nullopt;
        return path;
    }

    test::TemporaryFolder folder{"clarivex-preview"};
};

} // namespace

TEST_F(MediaPreviewLoad, PhotosComeUprightLimitedOrAtFullSize) {
    const auto photo = rotatedPhoto(300, 200);
    EXPECT_EQ(MediaPreview::load(photo, MediaKind::image, std::nullopt).size(), QSize(200, 300));
    EXPECT_EQ(MediaPreview::load(photo, MediaKind::image, 150).size(), QSize(100, 150));
    // Never enlarged past the picture itself.
    EXPECT_EQ(MediaPreview::load(photo, MediaKind::image, 1400).size(), QSize(200, 300));
}

TEST_F(MediaPreviewLoad, ColoursAndTransparencySurviveTheTrip) {
    const auto opaque = folder / "opaque.png";
    (vips::VImage::black(4, 3) + std::vector<double>{200, 100, 50})
        .cast(VIPS_FORMAT_UCHAR)
        .pngsave(opaque.c_str());
    const auto clear = folder / "clear.png";
    (vips::VImage::black(4, 3) + std::vector<double>{200, 100, 50, 0})
        .cast(VIPS_FORMAT_UCHAR)
        .pngsave(clear.c_str());
    EXPECT_EQ(MediaPreview::load(opaque, MediaKind::image, std::nullopt).pixel(1, 1),
              qRgb(200, 100, 50));
    EXPECT_EQ(MediaPreview::load(clear, MediaKind::image, 100).pixel(1, 1), qRgba(0, 0, 0, 0));
}

TEST_F(MediaPreviewLoad, ProblemsGiveNoPicture) {
    test::writeFile(folder / "broken.jpg", "not a picture");
    EXPECT_TRUE(MediaPreview::load(folder / "broken.jpg", MediaKind::image, 100).isNull());
    EXPECT_TRUE(
        MediaPreview::load(folder / "missing.png", MediaKind::image, std::nullopt).isNull());
    EXPECT_TRUE(MediaPreview::load(folder / "broken.jpg", MediaKind::video, 100).isNull());
}

TEST_F(MediaPreviewLoad, AVideoGivesItsFrameATenthOfASecondIn) {
    const auto longer = clip("1");
    const auto tooShort = clip("0.04");
    if (!longer || !tooShort)
        GTEST_SKIP() << "ffmpeg is needed";
    EXPECT_EQ(MediaPreview::load(*longer, MediaKind::video, std::nullopt).size(), QSize(160, 90));
    EXPECT_EQ(MediaPreview::load(*longer, MediaKind::video, 80).size(), QSize(80, 45));
    // One frame only, which ends before 0.1 s.
    EXPECT_TRUE(MediaPreview::load(*tooShort, MediaKind::video, std::nullopt).isNull());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

TEST(MediaPreviewPixelated, KeepsTheShapeInAFewCells) {
    struct Case {
        QSize picture;
        int cells;
        QSize expected;
    };
    const Case cases[] = {
        {{300, 200}, 48, {48, 32}},
        {{200, 300}, 48, {48, 72}},
        {{1, 1}, 48, {48, 48}},
        {{4000, 10}, 48, {48, 1}},
        {{100, 800}, 48, {48, 384}},
        {{300, 200}, 0, {1, 1}},
        {{300, 200}, -3, {1, 1}},
        // Extreme shapes stay small instead of growing with the picture's height.
        {{1, 1000}, 48, {1, 384}},
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
