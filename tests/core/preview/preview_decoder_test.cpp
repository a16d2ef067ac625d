#include "core/preview/preview_decoder.h"

#include <vips/vips8>

#include "support/icc_profile.h"
#include "support/media_fixture.h"
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
    std::filesystem::path clip(const std::string& duration) {
        const auto path = folder / ("clip-" + duration + ".mp4");
        test::ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x90:rate=25:duration=" + duration,
                      "-pix_fmt", "yuv420p", path.string()});
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
        {{{1400, 1400}}, {200, 300}},
        // A card is covered edge to edge: the narrower side reaches it.
        {{{112, 70}, true}, {112, 168}},
        {{{1000, 1000}, true}, {200, 300}},
    };
    for (const auto& [fit, expected] : cases)
        EXPECT_EQ(sizeOf(PreviewDecoder::decode(photo, MediaKind::image, fit)), expected)
            << fit.box.description() << (fit.cover ? " cover" : "");
}

TEST_F(PreviewDecoderTest, APhotoWithAProfileIsShownInItsSrgbColours) {
    // A saturated magenta stored in Adobe RGB; shown as sRGB numbers it would look duller.
    const auto photo = folder / "adobe.jpg";
    const vips::VImage stored =
        test::withProfile((vips::VImage::black(64, 48) + std::vector<double>{134, 9, 135})
                              .cast(VIPS_FORMAT_UCHAR)
                              .copy(vips::VImage::option()->set("interpretation", "srgb")),
                          test::iccProfile(test::ColourSpace::adobeRgb));
    stored.jpegsave(photo.c_str(), vips::VImage::option()->set("Q", 100));
    const std::vector<double> expected =
        stored.icc_transform("srgb", vips::VImage::option()->set("embedded", true))(32, 24);
    ASSERT_GT(expected[0] - 134, 15) << "the profile changes nothing";
    const auto picture = PreviewDecoder::decode(photo, MediaKind::image, {{32, 32}});
    ASSERT_TRUE(picture);
    const unsigned char* centre =
        picture->pixels.get() + 4 * (picture->width * (picture->height / 2) + picture->width / 2);
    for (int channel = 0; channel < 3; ++channel) // blue, green, red
        EXPECT_NEAR(centre[2 - channel], expected[channel], 3) << channel;
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
    if (!test::findProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed";
    const auto longer = clip("1");
    const auto tooShort = clip("0.04");
    EXPECT_EQ(sizeOf(PreviewDecoder::decode(longer, MediaKind::video, {{1000, 1000}})),
              (std::pair{160, 90}));
    EXPECT_EQ(sizeOf(PreviewDecoder::decode(longer, MediaKind::video, {{80, 80}})),
              (std::pair{80, 45}));
    // One frame only, which ends before 0.1 s.
    EXPECT_FALSE(PreviewDecoder::decode(tooShort, MediaKind::video, {{1000, 1000}}));
    // A stopped extraction gives nothing.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(PreviewDecoder::decode(longer, MediaKind::video, {{80, 80}}, stop.get_token()));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}
