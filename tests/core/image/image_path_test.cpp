#include "core/image/image_path.h"

#include "core/pipeline/upscaler.h"
#include "support/icc_profile.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>
#include <vips/vips8>

using namespace clarivex;

TEST(ImagePath, EngineLinesBecomeProgress) {
    const struct {
        const char* line;
        double fraction;
        double percent;
    } cases[] = {
        // The network's 0–100 % fills the band from 0.02 to 0.92.
        {"45.00%", 0.425, 45},
        {" 45.6 %", 0.4304, 45.6},
        {"100.00%", 0.92, 100},
        {"250%", 0.92, 250},
    };
    for (const auto& c : cases) {
        const auto progress = ImagePath::engineLineProgress(c.line);
        ASSERT_TRUE(progress) << c.line;
        EXPECT_EQ(progress->stage, UpscaleProgress::Stage::upscaling);
        EXPECT_NEAR(progress->fraction, c.fraction, 1e-12) << c.line;
        EXPECT_EQ(progress->detail, (ProgressDetail{.kind = ProgressDetail::Kind::enginePercent,
                                                    .value = c.percent}));
    }
    for (const char* other :
         {"45.00", "%", " %", "abc%", "45.00% done", "4 5%", "[0 NVIDIA]  queueC=2[8]"})
        EXPECT_FALSE(ImagePath::engineLineProgress(other)) << other;
}

namespace {

using vips::VImage;

constexpr int patch = 16;
constexpr int columns = 6;

// A colour chart in sRGB: the classic 24 patches, then saturated colours that wide-gamut
// sources hold near their edges (all inside sRGB, so that nothing is clipped on the way back).
VImage colourChart() {
    const std::vector<std::vector<double>> colours{
        {115, 82, 68},   {194, 150, 130}, {98, 122, 157}, {87, 108, 67},   {133, 128, 177},
        {103, 189, 170}, {214, 126, 44},  {80, 91, 166},  {193, 90, 99},   {94, 60, 108},
        {157, 188, 64},  {224, 163, 46},  {56, 61, 150},  {70, 148, 73},   {175, 54, 60},
        {231, 199, 31},  {187, 86, 149},  {8, 133, 161},  {243, 243, 242}, {200, 200, 200},
        {160, 160, 160}, {122, 122, 121}, {85, 85, 85},   {52, 52, 52},    {157, 7, 139},
        {230, 30, 30},   {30, 200, 40},   {20, 40, 220},  {250, 230, 20},  {10, 10, 10}};
    const int rows = static_cast<int>(colours.size()) / columns;
    VImage chart = VImage::black(columns * patch, rows * patch, VImage::option()->set("bands", 3))
                       .cast(VIPS_FORMAT_UCHAR)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                       .copy_memory();
    for (std::size_t index = 0; index < colours.size(); ++index)
        chart.draw_rect(colours[index], static_cast<int>(index % columns) * patch,
                        static_cast<int>(index / columns) * patch, patch, patch,
                        VImage::option()->set("fill", true));
    return chart;
}

// One pixel per patch, from the middle of each, where resampling leaves the colour flat.
VImage patchCentres(const VImage& image, int patchSize) {
    const int half = patchSize / 2;
    return image.extract_area(half, half, image.width() - half, image.height() - half)
        .embed(0, 0, image.width(), image.height())
        .subsample(patchSize, patchSize);
}

} // namespace

// A photo in a wide-gamut space must show its own colours once enlarged; an untagged one keeps
// its very numbers.
TEST(ImagePath, ResultShowsTheColoursOfTheSource) {
    const test::TemporaryFolder folder{"clarivex-colour"};
    const test::TestEngine engine;
    std::filesystem::create_directories(folder / "tmp");
    const test::ScopedEnvironmentVariable tmpdir{"TMPDIR", (folder / "tmp").string()};
    const VImage chart = colourChart();
    const auto encoded = [&](test::ColourSpace space, int depth) {
        // A name per profile: libvips caches operations by their arguments.
        const auto profileFile = folder / (std::to_string(static_cast<int>(space)) + ".icc");
        const std::string profile = test::iccProfile(space);
        test::writeFile(profileFile, profile);
        return test::withProfile(
            chart.icc_transform(profileFile.c_str(), VImage::option()
                                                         ->set("input_profile", "srgb")
                                                         ->set("intent", VIPS_INTENT_RELATIVE)
                                                         ->set("depth", depth)),
            profile);
    };
    struct Case {
        std::string name;
        VImage source;
        bool identical;
    };
    const std::vector<Case> cases{
        {"adobe.jpg", encoded(test::ColourSpace::adobeRgb, 8), false},
        {"deep.png", encoded(test::ColourSpace::displayP3, 16), false},
        {"plain.png", chart, true},
    };
    Options options;
    options.target = Target::x2;
    options.copyToPictures = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = folder / c.name;
        c.source.write_to_file(file.c_str());
        const auto result = Upscaler::run({.tools = {engine.executable(), engine.models()},
                                           .source = file,
                                           .options = options,
                                           .report = [](const UpscaleProgress&) {}});
        const VImage expected = patchCentres(chart, patch);
        const VImage shown = patchCentres(VImage::new_from_file(result.output.c_str()), 2 * patch);
        ASSERT_EQ(shown.width(), expected.width());
        if (c.identical) {
            EXPECT_EQ((shown - expected).abs().max(), 0);
            continue;
        }
        const double meanDeltaE = expected.colourspace(VIPS_INTERPRETATION_LAB)
                                      .dE00(shown.colourspace(VIPS_INTERPRETATION_LAB))
                                      .avg();
        EXPECT_LT(meanDeltaE, 1.0);
    }
}
