// Consecutive photos share one engine start; each still ends on its own, with what a run of
// its own would have made.
#include "core/image/photo_batches.h"

#include "core/pipeline/upscale_outcome.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <algorithm>
#include <fstream>

using namespace clarivex;
namespace fs = std::filesystem;

namespace {

class PhotoBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIPS_INIT("photo-batch-test");
        fs::create_directories(temporary());
        fs::create_directories(photos());
    }

    fs::path temporary() const { return folder.path() / "tmp"; }
    fs::path photos() const { return folder.path() / "photos"; }
    fs::path starts() const { return folder.path() / "starts"; }

    std::size_t startCount() const {
        std::ifstream log(starts());
        return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(log),
                                                   std::istreambuf_iterator<char>(), '\n'));
    }

    fs::path photo(const std::string& name, int width, int height, double mean) const {
        const auto file = photos() / name;
        vips::VImage::gaussnoise(width, height, vips::VImage::option()->set("mean", mean))
            .bandjoin(
                {vips::VImage::gaussnoise(width, height), vips::VImage::gaussnoise(width, height)})
            .cast(VIPS_FORMAT_UCHAR)
            .write_to_file(file.c_str());
        return file;
    }

    UpscaleOutcome runOne(const fs::path& source, std::vector<fs::path> following,
                          const std::shared_ptr<PhotoBatches>& batches, bool stopped = false) {
        std::stop_source stop;
        if (stopped)
            stop.request_stop();
        Options options;
        options.target = Target::fullHD;
        options.copyToPictures = false;
        return runUpscale({.tools = Tools{engine.executable(), engine.models()},
                           .source = source,
                           .options = options,
                           .report = [](const UpscaleProgress&) {},
                           .stopToken = stop.get_token(),
                           .followingPhotos = std::move(following),
                           .photoBatches = batches});
    }

    // Runs the photos in turn as the queue would: each told the photos behind it.
    std::vector<UpscaleOutcome> runInTurn(const std::vector<fs::path>& sources,
                                          const std::shared_ptr<PhotoBatches>& batches,
                                          const std::vector<bool>& stopped = {}) {
        std::vector<UpscaleOutcome> outcomes;
        for (std::size_t index = 0; index < sources.size(); ++index)
            outcomes.push_back(runOne(
                sources[index], {sources.begin() + static_cast<long>(index) + 1, sources.end()},
                batches, index < stopped.size() && stopped[index]));
        return outcomes;
    }

    test::TemporaryFolder folder{"clarivex-photo-batch"};
    test::TestEngine engine;
    test::ScopedEnvironmentVariable temporaryFolder_{"TMPDIR", temporary().string()};
    test::ScopedEnvironmentVariable startsFile_{"FAKE_ESRGAN_STARTS_FILE", starts().string()};
};

} // namespace

// Three small photos share a start; a photo already at its target ends the run of those that
// share (it is refused without any start), and the photo after it starts its own. A stopped
// photo and one the shared run fails to make affect no other, and every result is byte for
// byte what a run of its own makes.
TEST_F(PhotoBatchTest, ConsecutivePhotosShareOneStartAndEndEachOnTheirOwn) {
    const std::vector<fs::path> sources{photo("a.png", 40, 30, 60), photo("b.png", 30, 40, 120),
                                        photo("c.png", 20, 20, 200), photo("d.png", 1920, 1080, 90),
                                        photo("e.png", 24, 24, 30)};
    std::vector<std::string> alone;
    for (const auto& outcome : runInTurn(sources, nullptr)) {
        if (const auto* result = std::get_if<UpscaleResult>(&outcome)) {
            alone.push_back(test::readFile(result->output));
            fs::remove(result->output);
        } else {
            alone.push_back("");
        }
    }
    ASSERT_EQ(startCount(), 4u);
    struct Case {
        std::string name;
        std::vector<bool> stopped;
        std::string skip;
        std::vector<std::string> ends;
        std::optional<std::size_t> starts;
    };
    const std::vector<Case> cases{
        {"all run", {}, "", {"done", "done", "done", "failed", "done"}, 2},
        {"the second stopped",
         {false, true},
         "",
         {"done", "cancelled", "done", "failed", "done"},
         2},
        // Whether the first photo is taken before the shared run fails is up to timing.
        {"the shared run fails on the second",
         {},
         "02.png",
         {"done", "done", "done", "failed", "done"},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(starts());
        test::ScopedEnvironmentVariable skip("FAKE_ESRGAN_SKIP", c.skip);
        const auto outcomes = runInTurn(sources, std::make_shared<PhotoBatches>(), c.stopped);
        for (std::size_t index = 0; index < sources.size(); ++index) {
            const auto& outcome = outcomes[index];
            const std::string end = std::holds_alternative<UpscaleResult>(outcome) ? "done"
                                    : std::holds_alternative<UpscaleCancelled>(outcome)
                                        ? "cancelled"
                                        : "failed";
            EXPECT_EQ(end, c.ends[index]) << sources[index];
            if (const auto* result = std::get_if<UpscaleResult>(&outcome)) {
                EXPECT_EQ(test::readFile(result->output), alone[index]) << sources[index];
                fs::remove(result->output);
            }
        }
        if (c.starts)
            EXPECT_EQ(startCount(), *c.starts);
        else
            EXPECT_GE(startCount(), 3u);
        EXPECT_TRUE(fs::is_empty(temporary())) << "a working folder was left behind";
    }

    // The queue found nothing left to run after the first photo (the others were cancelled):
    // the shared engine stops, and a photo asked for later still comes out as it should.
    auto batches = std::make_shared<PhotoBatches>();
    const auto first = runOne(sources[0], {sources[1], sources[2]}, batches);
    batches->stopEngine();
    const auto later = runOne(sources[2], {}, batches);
    ASSERT_TRUE(std::holds_alternative<UpscaleResult>(first));
    ASSERT_TRUE(std::holds_alternative<UpscaleResult>(later));
    EXPECT_EQ(test::readFile(std::get<UpscaleResult>(later).output), alone[2]);
    batches.reset();
    EXPECT_TRUE(fs::is_empty(temporary())) << "a working folder was left behind";
}
