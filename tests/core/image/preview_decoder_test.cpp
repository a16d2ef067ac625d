#include "core/image/preview_decoder.h"

#include <vips/vips8>

#include "core/process/tools.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

class PreviewDecoderTest : public ::testing::Test {
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
    static std::pair<int, int> sizeOf(const std::optional<PreviewPicture>& picture) {
        return picture ? std::pair{picture->width, picture->height} : std::pair{0, 0};
    }

    test::TemporaryFolder folder{"clarivex-preview"};
};

} // namespace

TEST_F(PreviewDecoderTest, PhotosComeUprightAtTheSizeAskedForAndNeverEnlarged) {
    const auto photo = rotatedPhoto(300, 200);
    const struct {
        PictureFit fit;
        std::pair<int, int> expected;
    } cases[] = {
        {{{150, 150}}, {100, 150}},
        {{{1000, 60}}, {40, 60}},
        {{{1400, 1400}}, {200, 300}},
        // A card is covered edge to edge: the narrower side reaches it.
        {{{112, 70}, true}, {112, 168}},
        {{{20, 120}, true}, {80, 120}},
        {{{1000, 1000}, true}, {200, 300}},
    };
    for (const auto& [fit, expected] : cases)
        EXPECT_EQ(sizeOf(PreviewDecoder::decode(photo, MediaKind::image, fit)), expected)
            << fit.box.description() << (fit.cover ? " cover" : "");
}

TEST_F(PreviewDecoderTest, OnlyRegularFilesAreReadAndNothingBlocks) {
    test::writeFile(folder / "broken.jpg", "not a picture");
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "zero.png");
    std::filesystem::create_directory(folder / "folder.png");
    const PictureFit fit{{100, 100}};
    for (const char* name : {"broken.jpg", "missing.png", "pipe.jpg", "zero.png", "folder.png"})
        for (const MediaKind kind : {MediaKind::image, MediaKind::video})
            EXPECT_FALSE(PreviewDecoder::decode(folder / name, kind, fit)) << name;
}

TEST_F(PreviewDecoderTest, AVideoGivesItsFrameATenthOfASecondIn) {
    const auto longer = clip("1");
    const auto tooShort = clip("0.04");
    if (!longer || !tooShort)
        GTEST_SKIP() << "ffmpeg is needed";
    EXPECT_EQ(sizeOf(PreviewDecoder::decode(*longer, MediaKind::video, {{1000, 1000}})),
              (std::pair{160, 90}));
    EXPECT_EQ(sizeOf(PreviewDecoder::decode(*longer, MediaKind::video, {{80, 80}})),
              (std::pair{80, 45}));
    // One frame only, which ends before 0.1 s.
    EXPECT_FALSE(PreviewDecoder::decode(*tooShort, MediaKind::video, {{1000, 1000}}));
    // A stopped extraction gives nothing.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(PreviewDecoder::decode(*longer, MediaKind::video, {{80, 80}}, stop.get_token()));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}
