// Runs the built command line on a tiny picture with the installed real engine: the one test
// that proves the image path end to end against the real network. Skipped where no engine is
// installed (scripts/install-engine installs one).
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <regex>

namespace {

namespace fs = std::filesystem;

// REALESRGAN_DIR when set, otherwise the user's ~/.local/opt/realesrgan.
fs::path engineFolder() {
    if (const char* named = std::getenv("REALESRGAN_DIR"); named && *named)
        return fs::path(named).lexically_normal();
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : getpwuid(getuid())->pw_dir) / ".local/opt/realesrgan";
}

// A soft, colourful picture (a gradient, diagonal stripes and a blurred disc): the kind of
// content the photo network enlarges cleanly, so its output is predictable enough to check.
vips::VImage source() {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double disc = 1 / (1 + std::exp((std::hypot(x - 12.0, y - 11.0) - 6) * 1.5));
            const double stripe = 0.5 + 0.5 * std::sin((x + y) * 0.6);
            const double background[3] = {40.0 + 5 * x, 60.0 + 6 * y, 120 + 60 * stripe};
            const double foreground[3] = {230, 190, 60};
            for (int band = 0; band < 3; ++band)
                pixels.push_back(static_cast<unsigned char>(std::clamp(
                    background[band] * (1 - disc) + foreground[band] * disc, 0.0, 255.0)));
        }
    }
    return vips::VImage::new_from_memory(pixels.data(), pixels.size(), 32, 24, 3, VIPS_FORMAT_UCHAR)
        .copy_memory();
}

double meanDifference(const vips::VImage& a, const vips::VImage& b) {
    return (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().avg();
}

TEST(EngineEndToEnd, PhotoAtX4ThroughTheCommandLine) {
    ASSERT_EQ(VIPS_INIT("engine_e2e_tests"), 0);
    const fs::path engine = engineFolder();
    if (access((engine / "realesrgan-ncnn-vulkan").c_str(), X_OK) != 0 ||
        !fs::is_regular_file(engine / "models/realesrgan-x4plus.bin"))
        GTEST_SKIP() << "no installed engine with the photo model in " << engine
                     << " (run scripts/install-engine, or set REALESRGAN_DIR)";

    const clarivex::test::TemporaryFolder scratch("clarivex-e2e");
    fs::create_directories(scratch / "home");
    fs::create_directories(scratch / "tmp");
    const fs::path file = scratch / "tiny.png";
    const vips::VImage original = source();
    original.pngsave(file.c_str());
    const auto run = clarivex::test::runProgram(
        CLARIVEX_BINARY,
        {"--cli", file.string(), "--model", "photo", "--target", "x4", "--no-pictures"},
        {{"HOME", (scratch / "home").string()},
         {"REALESRGAN_DIR", engine.string()},
         {"TMPDIR", (scratch / "tmp").string()}});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "") << "the command line writes only to standard output";

    // The device follows the path: whatever card this machine has, named by the engine; and
    // the real engine's percentages are understood as progress.
    const auto printed = run.outLines();
    ASSERT_GE(printed.size(), 4u) << run.out;
    EXPECT_TRUE(
        printed[0].starts_with("ESRGAN: " + (engine / "realesrgan-ncnn-vulkan").string() + " · "))
        << printed[0];
    EXPECT_EQ(printed[0].find("не определено"), std::string::npos) << printed[0];
    const std::regex enginePercent(R"(\[\d+%\] Апскейл: \d+%)");
    EXPECT_TRUE(std::any_of(printed.begin(), printed.end(), [&](const std::string& line) {
        return std::regex_match(line, enginePercent);
    })) << run.out;
    const fs::path result = scratch / "tiny-4x.png";
    EXPECT_TRUE(printed.back().starts_with("Готово: " + result.string() +
                                           " · 128×96 · realesrgan-x4plus · "))
        << printed.back();
    EXPECT_FALSE(fs::exists(scratch / "home/Pictures")) << "--no-pictures ignored";
    EXPECT_TRUE(fs::is_empty(scratch / "tmp")) << "a working folder was left";

    const vips::VImage enlarged = vips::VImage::new_from_file(result.c_str());
    ASSERT_EQ(std::make_pair(enlarged.width(), enlarged.height()), std::make_pair(128, 96));
    const vips::VImage colour = enlarged.extract_band(0, vips::VImage::option()->set("n", 3));
    // A missing or unread model makes the engine write a flat picture and still succeed.
    EXPECT_GT(colour.deviate(), 20.0) << "the result is (nearly) blank";
    // Resampling filters stay within about 3 levels of a blocky enlargement here; the network
    // redraws edges and textures and moves far more.
    EXPECT_GT(meanDifference(colour, original.zoom(4, 4)), 6.0)
        << "the result is a plain enlargement, not the network's";
    // Yet it is still this picture: shrunk back, it stays close to the source.
    EXPECT_LT(meanDifference(colour.shrink(4, 4), original), 40.0)
        << "the result does not resemble the source";
}

} // namespace
