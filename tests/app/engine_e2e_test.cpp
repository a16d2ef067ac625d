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
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using clarivex::test::readFile;
using clarivex::test::runProgram;

constexpr int sourceWidth = 32;
constexpr int sourceHeight = 24;

fs::path realHome() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()))
        return entry->pw_dir;
    return {};
}

// The places the application looks in besides its own folder: REALESRGAN_DIR when set,
// otherwise the user's ~/.local/opt/realesrgan. The photo model must be there.
fs::path engineFolder() {
    if (const char* named = std::getenv("REALESRGAN_DIR"); named && *named)
        return fs::path(named).lexically_normal();
    return realHome() / ".local/opt/realesrgan";
}

bool holdsEngine(const fs::path& folder) {
    const fs::path executable = folder / "realesrgan-ncnn-vulkan";
    return fs::is_regular_file(executable) && access(executable.c_str(), X_OK) == 0 &&
           fs::is_regular_file(folder / "models/realesrgan-x4plus.param") &&
           fs::is_regular_file(folder / "models/realesrgan-x4plus.bin");
}

// A soft, colourful picture (a gradient, diagonal stripes and a blurred disc): the kind of
// content the photo network enlarges cleanly, so its output is predictable enough to check.
void writeSource(const fs::path& file) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < sourceHeight; ++y) {
        for (int x = 0; x < sourceWidth; ++x) {
            const double disc = 1 / (1 + std::exp((std::hypot(x - 12.0, y - 11.0) - 6) * 1.5));
            const double stripe = 0.5 + 0.5 * std::sin((x + y) * 0.6);
            const double background[3] = {40.0 + 5 * x, 60.0 + 6 * y, 120 + 60 * stripe};
            const double foreground[3] = {230, 190, 60};
            for (int band = 0; band < 3; ++band) {
                const double value = background[band] * (1 - disc) + foreground[band] * disc;
                pixels.push_back(static_cast<unsigned char>(std::clamp(value, 0.0, 255.0)));
            }
        }
    }
    vips::VImage::new_from_memory(pixels.data(), pixels.size(), sourceWidth, sourceHeight, 3,
                                  VIPS_FORMAT_UCHAR)
        .pngsave(file.c_str());
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

double meanAbsoluteDifference(const vips::VImage& a, const vips::VImage& b) {
    return (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().avg();
}

class EngineEndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(VIPS_INIT("engine_e2e_tests"), 0); }
};

TEST_F(EngineEndToEnd, PhotoAtX4ThroughTheCommandLine) {
    const fs::path engine = engineFolder();
    if (!holdsEngine(engine))
        GTEST_SKIP() << "no installed engine: " << engine
                     << " has no realesrgan-ncnn-vulkan with models/realesrgan-x4plus "
                        "(run scripts/install-engine, or set REALESRGAN_DIR)";

    const clarivex::test::TemporaryFolder scratch("clarivex-e2e");
    const fs::path home = scratch.path() / "home";
    const fs::path work = scratch.path() / "tmp";
    fs::create_directories(home);
    fs::create_directories(work);
    const fs::path source = scratch.path() / "tiny.png";
    writeSource(source);
    const std::string sourceBytes = readFile(source);

    const auto outcome = runProgram(
        CLARIVEX_BINARY,
        {"--cli", source.string(), "--model", "photo", "--target", "x4", "--no-pictures"},
        {{"HOME", home.string()}, {"REALESRGAN_DIR", engine.string()}, {"TMPDIR", work.string()}});
    ASSERT_EQ(outcome.exitStatus, 0) << outcome.out << outcome.err;
    EXPECT_EQ(outcome.err, "") << "the command line writes only to standard output";

    const std::vector<std::string> printed = outcome.outLines();
    ASSERT_GE(printed.size(), 3u) << outcome.out;
    // The device follows the path: whatever card this machine has, named by the engine.
    EXPECT_TRUE(
        startsWith(printed[0], "ESRGAN: " + (engine / "realesrgan-ncnn-vulkan").string() + " · "))
        << printed[0];
    EXPECT_EQ(printed[0].find("не определено"), std::string::npos) << printed[0];
    EXPECT_TRUE(startsWith(printed[1], "ffmpeg: ")) << printed[1];

    // Every line between the tool report and the summary is a progress line; the upscale
    // ones carry the engine's own percentages, which only grow.
    const std::regex progressLine(R"(\[(\d+)%\] ([^:]+): (.*))");
    const std::regex enginePercent(R"((\d+)%)");
    int upscaleLines = 0;
    int lastPercent = -1;
    int lastEnginePercent = -1;
    for (size_t index = 2; index + 1 < printed.size(); ++index) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(printed[index], parts, progressLine)) << printed[index];
        const int percent = std::stoi(parts[1]);
        EXPECT_GE(percent, lastPercent) << printed[index];
        EXPECT_LE(percent, 100) << printed[index];
        lastPercent = percent;
        // The first upscale line names the model; the engine's own lines follow it.
        if (parts[2] != "Апскейл" || parts[3] == "realesrgan-x4plus, ×4")
            continue;
        const std::string detail = parts[3];
        std::smatch engineParts;
        ASSERT_TRUE(std::regex_match(detail, engineParts, enginePercent)) << printed[index];
        const int reported = std::stoi(engineParts[1]);
        EXPECT_GE(reported, lastEnginePercent) << printed[index];
        EXPECT_LE(reported, 100) << printed[index];
        // The network's 0 to 100 % fills the band from 2 to 92 % of the whole job.
        EXPECT_GE(percent, 2) << printed[index];
        EXPECT_LE(percent, 92) << printed[index];
        lastEnginePercent = reported;
        ++upscaleLines;
    }
    EXPECT_GE(upscaleLines, 1) << outcome.out;

    const fs::path result = scratch.path() / "tiny-4x.png";
    const std::regex summary(R"(Готово: (.+) · 128×96 · realesrgan-x4plus · \d+\.\d с)");
    std::smatch summaryParts;
    ASSERT_TRUE(std::regex_match(printed.back(), summaryParts, summary)) << printed.back();
    EXPECT_EQ(summaryParts[1], result.string());

    ASSERT_TRUE(fs::is_regular_file(result)) << result;
    EXPECT_EQ(readFile(source), sourceBytes) << "the source was changed";
    EXPECT_FALSE(fs::exists(home / "Pictures/Clarivex/tiny-4x.png")) << "--no-pictures ignored";
    EXPECT_TRUE(fs::is_empty(work)) << "a working folder was left in " << work;

    const vips::VImage enlarged = vips::VImage::new_from_file(result.c_str());
    ASSERT_EQ(enlarged.width(), 128);
    ASSERT_EQ(enlarged.height(), 96);
    ASSERT_GE(enlarged.bands(), 3);
    const vips::VImage colour = enlarged.extract_band(0, vips::VImage::option()->set("n", 3));
    const vips::VImage original = vips::VImage::new_from_file(source.c_str());

    // A missing or unread model makes the engine write a flat picture and still succeed.
    EXPECT_GT(colour.deviate(), 20.0) << "the result is (nearly) blank";
    // Resampling filters stay within about 3 levels of a blocky enlargement here; the
    // network redraws edges and textures and moves far more.
    EXPECT_GT(meanAbsoluteDifference(colour, original.zoom(4, 4)), 6.0)
        << "the result is a plain enlargement, not the network's";
    // Yet it is still this picture: shrunk back, it stays close to the source.
    EXPECT_LT(meanAbsoluteDifference(colour.shrink(4, 4), original), 40.0)
        << "the result does not resemble the source";
}

} // namespace
