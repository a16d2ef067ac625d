#include "core/upscaler.h"

#include "core/image/image_path.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <thread>

using namespace clarivex;

TEST(UpscalerImage, EngineLinesBecomeProgress) {
    const auto at = ImagePath::engineLineProgress("45.00%");
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->fraction, 0.425, 1e-12);
    EXPECT_EQ(at->detail, "45%");
    EXPECT_EQ(at->stage, UpscaleProgress::Stage::upscaling);
    const auto spaced = ImagePath::engineLineProgress(" 45.6 %");
    ASSERT_TRUE(spaced);
    EXPECT_NEAR(spaced->fraction, 0.4304, 1e-12);
    EXPECT_EQ(spaced->detail, "46%");
    EXPECT_EQ(ImagePath::engineLineProgress("100.00%")->fraction, 0.92);
    for (const char* other :
         {"45.00", "%", " %", "abc%", "45.00% done", "4 5%", "[0 NVIDIA]  queueC=2[8]"})
        EXPECT_FALSE(ImagePath::engineLineProgress(other)) << other;
}

namespace {

class UpscalerImageRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temporary());
        vips::VImage::black(32, 24, vips::VImage::option()->set("bands", 3))
            .pngsave(source().c_str());
    }

    std::filesystem::path temporary() const { return folder / "tmp"; }
    std::filesystem::path source() const { return folder / "photo.png"; }
    UpscaleJob job(ProgressCallback report, std::stop_token stopToken = {}) const {
        return {.tools = {engine.executable(), engine.models()},
                .source = source(),
                .report = std::move(report),
                .stopToken = stopToken};
    }

    test::TemporaryFolder folder{"clarivex-upscaler"};
    test::TestEngine engine;
    test::ScopedEnvironmentVariable tmpdir{"TMPDIR", temporary().string()};
};

} // namespace

TEST_F(UpscalerImageRun, ReportsInOrderAndBuildsTheResult) {
    test::ScopedEnvironmentVariable home("HOME", (folder / "home").string());
    std::vector<UpscaleProgress> reports;
    std::mutex lock;
    const auto result = Upscaler::run(job([&](const UpscaleProgress& progress) {
        const std::lock_guard guard(lock);
        reports.push_back(progress);
    }));
    EXPECT_EQ(result.output, folder / "photo-4k.png");
    EXPECT_EQ(result.picturesCopy, folder / "home" / "Pictures" / "Clarivex" / "photo-4k.png");
    EXPECT_EQ(result.size, (Size{2880, 2160}));
    EXPECT_EQ(result.model, "realesrgan-x4plus");
    EXPECT_GT(result.seconds, 0);
    ASSERT_GE(reports.size(), 5u);
    EXPECT_EQ(reports.front(),
              (UpscaleProgress{UpscaleProgress::Stage::preparing, 0, "photo.png"}));
    EXPECT_EQ(reports.back(),
              (UpscaleProgress{UpscaleProgress::Stage::saving, 1.0, "photo-4k.png"}));
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LE(reports[i - 1].fraction, reports[i].fraction) << i;
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
}

TEST_F(UpscalerImageRun, CancellingWhileTheEngineRunsLeavesNothing) {
    const auto started = folder / "engine-started";
    test::ScopedEnvironmentVariable hang("FAKE_ESRGAN_HANG", "1");
    test::ScopedEnvironmentVariable log("FAKE_ESRGAN_ARGS_FILE", started.string());
    std::stop_source stop;
    std::jthread canceller([&] {
        // Waits for the engine to be running; no time limit is asserted.
        while (!std::filesystem::exists(started))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    EXPECT_THROW(Upscaler::run(job([](const UpscaleProgress&) {}, stop.get_token())), Cancelled);
    EXPECT_FALSE(std::filesystem::exists(folder / "photo-4k.png"));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_TRUE(test::noChildLeft());
}
