#include "core/animation/animation_path.h"

#include "core/pipeline/upscaler.h"
#include "core/preview/preview_decoder.h"
#include "core/vocabulary/upscale_error.h"
#include "support/gif_bytes.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

using namespace clarivex;
namespace fs = std::filesystem;

// Five frames (the first red, then blue) go through the network two at a time. The result is
// written as they come, so a failure in the last chunk must take what was written with it.
TEST(AnimationPath, FramesGoThroughTheNetworkInChunksAndAFailureLeavesOnlyTheSource) {
    const test::TemporaryFolder folder{"clarivex-animation"};
    const test::TestEngine engine;
    const test::ScopedEnvironmentVariable tmpdir{"TMPDIR", (folder / "tmp").string()};
    fs::create_directories(folder / "tmp");
    test::GifSpec spec{12, 8, {0xFF0000, 0x0000FF}, {test::fullFrame(12, 8, 0)}};
    spec.frames.resize(5, test::fullFrame(12, 8, 1));
    test::writeFile(folder / "clip.gif", test::gifBytes(spec));
    engine.countCalls(folder / "calls");
    std::mutex lock;
    std::vector<UpscaleProgress> reports;
    Options options;
    options.target = Target::x2;
    options.copyToPictures = false;
    const UpscaleJob job{.tools = {engine.executable(), engine.models()},
                         .source = folder / "clip.gif",
                         .options = options,
                         .report =
                             [&](const UpscaleProgress& progress) {
                                 const std::lock_guard guard(lock);
                                 reports.push_back(progress);
                             },
                         .chunkSize = 2};
    const auto calls = [&] {
        std::ifstream log(folder / "calls");
        std::vector<std::string> sizes;
        for (std::string line; std::getline(log, line);)
            sizes.push_back(line);
        return sizes;
    };

    {
        const test::ScopedEnvironmentVariable skip("FAKE_ESRGAN_SKIP", "000004.png");
        try {
            Upscaler::run(job);
            ADD_FAILURE() << "a skipped frame passed";
        } catch (const UpscaleError& error) {
            EXPECT_EQ(error, UpscaleError::badResult({.frame = "000004.png"}));
        }
    }
    // The last chunk was reached (and retried with smaller tiles, as a missing picture is).
    EXPECT_EQ(calls().back(), "1");
    EXPECT_EQ(test::namesIn(folder.path()), (std::vector<std::string>{"calls", "clip.gif", "tmp"}));

    fs::remove(folder / "calls");
    reports.clear();
    const UpscaleResult result = Upscaler::run(job);
    EXPECT_EQ(result.frames, 5);
    EXPECT_EQ(calls(), (std::vector<std::string>{"2", "2", "1"}));
    for (std::size_t index = 1; index < reports.size(); ++index)
        EXPECT_GE(reports[index].fraction, reports[index - 1].fraction);
    EXPECT_EQ(reports[reports.size() - 3].detail,
              (ProgressDetail{.kind = ProgressDetail::Kind::frames,
                              .model = "realesrgan-x4plus",
                              .scale = 4,
                              .done = 5,
                              .total = 5}));
    EXPECT_TRUE(fs::is_empty(folder / "tmp"));
    // The window shows source and result by their first frame, at the canvas size.
    for (const auto& [file, size] :
         {std::pair{folder / "clip.gif", Size{12, 8}}, std::pair{result.output, Size{24, 16}}}) {
        EXPECT_EQ(PreviewDecoder::measure(file, MediaKind::image), size);
        const auto picture = PreviewDecoder::decode(file, MediaKind::image, {{1400, 1400}});
        ASSERT_TRUE(picture);
        EXPECT_EQ((Size{picture->width, picture->height}), size);
        // Blue, green, red, alpha.
        EXPECT_EQ(std::vector<int>(picture->pixels.get(), picture->pixels.get() + 4),
                  (std::vector<int>{0, 0, 255, 255}));
    }
}
