#include "core/image/image_ops.h"
#include "core/vocabulary/upscale_error.h"
#include "support/icc_profile.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <system_error>

using namespace clarivex;
using clarivex::test::errorOf;
using ImageOps::Bitmap;

namespace {

class ImageOpsTest : public ::testing::Test {
protected:
    // A picture whose left half is dark and right half light, so that turns can be seen.
    static Bitmap pattern(int width, int height) {
        const auto bands = Bitmap::option()->set("bands", 3);
        const Bitmap dark = Bitmap::black(width / 2, height, bands);
        const Bitmap light =
            (Bitmap::black(width - width / 2, height, Bitmap::option()->set("bands", 3)) + 255)
                .cast(VIPS_FORMAT_UCHAR);
        return dark.join(light, VIPS_DIRECTION_HORIZONTAL)
            .copy(Bitmap::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }

    const test::TemporaryFolder folder{"clarivex-image-ops"};
};

} // namespace

// Sizes whose factors libvips would round differently still land exactly.
TEST_F(ImageOpsTest, ResizeLandsOnTheExactSize) {
    for (const Size size : {Size{1920, 1080}, Size{1919, 1080}, Size{3, 7}, Size{2880, 2160}})
        EXPECT_EQ(ImageOps::sizeOf(ImageOps::resize(pattern(853, 480), size)), size);
}

// Every still format, depth and colour set-up comes out as 8-bit sRGB; a profile is used only
// where it fits.
TEST_F(ImageOpsTest, DecodesEveryFormatAndColourSetUpAsSrgb) {
    const auto flat = [](int bands, std::vector<double> values, VipsBandFormat format,
                         VipsInterpretation interpretation) {
        return (Bitmap::black(8, 8, Bitmap::option()->set("bands", bands)) + values)
            .cast(format)
            .copy(Bitmap::option()->set("interpretation", interpretation));
    };
    const std::string grey = test::iccProfile(test::ColourSpace::greyLinear);
    const std::string p3 = test::iccProfile(test::ColourSpace::displayP3);
    const std::string link = test::deviceLinkProfile();
    std::string garbage(300, 'x');
    garbage.replace(16, 4, "RGB ");
    const Bitmap rgb = flat(3, {134, 9, 135}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_sRGB);
    struct Case {
        const char* name;
        Bitmap image;
        std::vector<double> expected;
        bool profileIgnored = false;
    };
    std::vector<Case> cases{
        // Linear-light grey 100 is sRGB 168.
        {"grey-profiled.jpg",
         test::withProfile(flat(1, {100}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_B_W), grey),
         {168, 168, 168}},
        {"grey16.png",
         flat(1, {25700}, VIPS_FORMAT_USHORT, VIPS_INTERPRETATION_GREY16),
         {100, 100, 100}},
        {"grey-with-rgb-profile.tif",
         test::withProfile(flat(1, {100}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_B_W), p3),
         {100, 100, 100},
         true},
        {"cmyk.jpg",
         flat(4, {0, 200, 0, 50}, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_CMYK),
         {194, 77, 129}},
        // At 8 bits out libvips would clip the 16-bit alpha to opaque.
        {"p3-alpha16.png",
         test::withProfile(flat(4, {134 * 257, 9 * 257, 135 * 257, 32896}, VIPS_FORMAT_USHORT,
                                VIPS_INTERPRETATION_RGB16),
                           p3),
         {147, 0, 140, 128}},
        {"rgb-with-grey-profile.tif", test::withProfile(rgb, grey), {134, 9, 135}, true},
        {"rgb-with-broken-profile.tif", test::withProfile(rgb, garbage), {134, 9, 135}, true},
        {"rgb-with-device-link.tif", test::withProfile(rgb, link), {134, 9, 135}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = folder / c.name;
        c.image.write_to_file(file.c_str());
        const Bitmap opened = ImageOps::openSource(file);
        const Bitmap decoded = ImageOps::decodeSource(opened);
        EXPECT_EQ(ImageOps::profileIgnored(opened), c.profileIgnored);
        EXPECT_EQ(decoded.format(), VIPS_FORMAT_UCHAR);
        EXPECT_EQ(decoded.interpretation(), VIPS_INTERPRETATION_sRGB);
        const auto pixel = decoded.getpoint(4, 4);
        ASSERT_GE(pixel.size(), c.expected.size());
        for (std::size_t band = 0; band < c.expected.size(); ++band)
            EXPECT_NEAR(pixel[band], c.expected[band], 3) << "band " << band;
    }
}

TEST_F(ImageOpsTest, AppliesTheOrientationTag) {
    // Stored 40×20 with "rotate 90° clockwise to view": upright it is 20×40.
    Bitmap stored = pattern(40, 20).copy();
    stored.set("orientation", 6);
    const auto file = folder / "portrait.jpg";
    stored.jpegsave(file.c_str());
    const Bitmap opened = ImageOps::openSource(file);
    // Known from the header, before anything is decoded.
    EXPECT_EQ(ImageOps::uprightSize(opened), (Size{20, 40}));
    const Bitmap decoded = ImageOps::decodeSource(opened);
    EXPECT_EQ(ImageOps::sizeOf(decoded), (Size{20, 40}));
    // The dark left half ends up on top.
    EXPECT_LT(decoded.getpoint(10, 5)[0], 40);
    EXPECT_GT(decoded.getpoint(10, 35)[0], 215);
}

// A file that is no picture at all is refused by the command line's tests; a valid header
// followed by broken pixel data opens but cannot be decoded.
TEST_F(ImageOpsTest, BrokenPixelDataFailsTheDecode) {
    Bitmap::gaussnoise(256, 256).cast(VIPS_FORMAT_UCHAR).pngsave((folder / "whole.png").c_str());
    const std::string bytes = test::readFile(folder / "whole.png");
    std::ofstream(folder / "broken.png", std::ios::binary)
        << bytes.substr(0, bytes.size() / 2) << std::string(200, '\x55');
    // libvips' own reason goes along.
    const UpscaleError failure =
        errorOf([&] { ImageOps::decodeSource(ImageOps::openSource(folder / "broken.png")); });
    EXPECT_EQ(failure.kind(), UpscaleError::Case::decodeFailed);
    EXPECT_FALSE(failure.reason().empty());
}

TEST_F(ImageOpsTest, WritesWithoutMetadataAndNamesTheFileOnFailure) {
    Bitmap tagged = pattern(16, 16).copy();
    tagged.set("orientation", 6);
    ImageOps::write(tagged, folder / "out.jpg", ImageOps::FileType::jpeg);
    const Bitmap back = Bitmap::new_from_file((folder / "out.jpg").c_str());
    EXPECT_EQ(std::string(vips_foreign_find_load((folder / "out.jpg").c_str())),
              "VipsForeignLoadJpegFile");
    EXPECT_EQ(back.get_typeof("exif-data"), 0u);
    EXPECT_EQ(back.get_typeof("orientation") == 0 ? 1 : back.get_int("orientation"), 1);

    EXPECT_EQ(errorOf([&] {
                  ImageOps::write(pattern(4, 4), folder / "nowhere" / ".hidden.part",
                                  ImageOps::FileType::png, "photo-4k.png");
              }),
              UpscaleError::fileFailed(UpscaleError::Case::createFailed, "photo-4k.png",
                                       std::generic_category().message(ENOENT)));
    // A full disk: the error keeps the reason that libvips gives.
    const UpscaleError full = errorOf([&] {
        ImageOps::write(pattern(64, 64), "/dev/full", ImageOps::FileType::png, "photo-4k.png");
    });
    EXPECT_EQ(full.kind(), UpscaleError::Case::writeFailed);
    EXPECT_EQ(full.text(), "photo-4k.png");
    EXPECT_FALSE(full.reason().empty());
}

TEST_F(ImageOpsTest, JpegFlattensTransparencyOnWhite) {
    const Bitmap clear = pattern(8, 8).bandjoin_const({0}).copy(
        Bitmap::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    ImageOps::write(clear, folder / "clear.jpg", ImageOps::FileType::jpeg);
    const Bitmap back = Bitmap::new_from_file((folder / "clear.jpg").c_str());
    EXPECT_EQ(back.bands(), 3);
    EXPECT_GT(back.getpoint(1, 4)[0], 240);
}
