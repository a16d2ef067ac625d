#include "core/engine/network_step.h"

#include "core/pipeline/upscaler.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <map>
#include <mutex>

using namespace clarivex;
using test::ScopedEnvironmentVariable;
using vips::VImage;

namespace {

// The image path through the stand-in engine, which can be told to run out of memory above a
// tile size, as a graphics card does.
class NetworkStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path() / "tmp");
        writeSource(false);
    }

    void writeSource(bool black) const {
        const VImage grey = VImage::black(24, 16, VImage::option()->set("bands", 3));
        (black ? grey : grey + 90).cast(VIPS_FORMAT_UCHAR).pngsave(source().c_str());
    }
    std::filesystem::path source() const { return folder.path() / "photo.png"; }
    // Runs one job; its report details are kept in `details`.
    UpscaleResult upscale() {
        Options options;
        options.target = Target::x2;
        options.copyToPictures = false;
        return Upscaler::run({.tools = {engine.executable(), engine.models()},
                              .source = source(),
                              .options = options,
                              .report =
                                  [this](const UpscaleProgress& progress) {
                                      const std::lock_guard guard(lock);
                                      details.push_back(progress.detail);
                                  },
                              .devices = devices,
                              .tiles = tiles});
    }
    std::size_t retries() const {
        return std::count_if(details.begin(), details.end(), [](const ProgressDetail& detail) {
            return detail.kind == ProgressDetail::Kind::tileRetry;
        });
    }

    test::TemporaryFolder folder{"clarivex-network"};
    test::TestEngine engine;
    ScopedEnvironmentVariable tmpdir{"TMPDIR", (folder.path() / "tmp").string()};
    ScopedEnvironmentVariable log{"FAKE_ESRGAN_ARGS_FILE", engine.argumentsLog().string()};
    EngineDevices devices;
    std::shared_ptr<TileMemory> tiles = std::make_shared<TileMemory>();
    std::mutex lock;
    std::vector<ProgressDetail> details;
};

} // namespace

TEST_F(NetworkStepTest, OutOfMemoryIsRetriedWithSmallerTilesAndTheTileIsRemembered) {
    struct Case {
        const char* maxTile;
        const char* written;
        int tile;
        std::size_t retries;
        // Said on every run, also the one that worked: the new picture must be read, not the
        // black one of the same name that libvips has seen before.
        const char* alwaysSaid = "";
    };
    // The engine's own choice stands for 200 here: black pictures or none, then 200, 100, …
    const std::vector<Case> cases{
        {"100", "black", 100, 2},
        {"64", "nothing", 64, 3},
        {"100", "black", 100, 2, "vkAllocateMemory failed -2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.maxTile) + c.alwaysSaid);
        ScopedEnvironmentVariable maxTile("FAKE_ESRGAN_MAX_TILE", c.maxTile);
        ScopedEnvironmentVariable written("FAKE_ESRGAN_OOM", c.written);
        ScopedEnvironmentVariable said("FAKE_ESRGAN_ERROR", *c.alwaysSaid != '\0'
                                                                ? std::optional(c.alwaysSaid)
                                                                : std::nullopt);
        tiles = std::make_shared<TileMemory>();
        details.clear();
        const UpscaleResult result = upscale();
        EXPECT_EQ(retries(), c.retries);
        EXPECT_EQ(tiles->tileFor("", "realesrgan-x4plus"), c.tile);
        EXPECT_EQ(VImage::new_from_file(result.output.c_str()).min(), 90);
        std::filesystem::remove(result.output);

        // The next job starts with the tile that worked, and says so.
        details.clear();
        upscale();
        EXPECT_EQ(retries(), 0u);
        const auto arguments = engine.lastArguments();
        EXPECT_EQ(std::vector(arguments.end() - 2, arguments.end()),
                  (std::vector<std::string>{"-t", std::to_string(c.tile)}));
        EXPECT_NE(std::find(details.begin(), details.end(),
                            ProgressDetail{.kind = ProgressDetail::Kind::network,
                                           .model = "realesrgan-x4plus",
                                           .scale = 4,
                                           .tile = c.tile}),
                  details.end());
        std::filesystem::remove(folder.path() / "photo-2x.png");
    }
}

TEST_F(NetworkStepTest, GenuineFailuresFailWithTheEnginesOwnLines) {
    struct Case {
        std::map<std::string, std::string> environment;
        UpscaleError error;
        std::size_t retries;
    };
    using Kind = EngineProblem::Kind;
    const std::vector<Case> cases{
        {{{"FAKE_ESRGAN_MAX_TILE", "16"}},
         UpscaleError::badResult({Kind::black}, "vkAllocateMemory failed -2", 32),
         4},
        {{{"FAKE_ESRGAN_SKIP", "in.png"}, {"FAKE_ESRGAN_ERROR", "encode image up.png failed"}},
         UpscaleError::badResult({Kind::noResult}, "encode image up.png failed"),
         0},
        {{{"FAKE_ESRGAN_SIZE", "7x5"}, {"FAKE_ESRGAN_ERROR", "something else"}},
         UpscaleError::badResult({Kind::wrongSize, "", {7, 5}, {96, 64}}, "something else"),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.errorLines());
        std::vector<std::unique_ptr<ScopedEnvironmentVariable>> environment;
        for (const auto& [name, value] : c.environment)
            environment.push_back(std::make_unique<ScopedEnvironmentVariable>(name, value));
        details.clear();
        const UpscaleError error = test::errorOf([&] { upscale(); });
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(retries(), c.retries);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "photo-2x.png"));
    }
}

TEST_F(NetworkStepTest, BlackPictureOfABlackSourceIsNoFailure) {
    writeSource(true);
    ScopedEnvironmentVariable maxTile("FAKE_ESRGAN_MAX_TILE", "100");
    const UpscaleResult result = upscale();
    EXPECT_EQ(retries(), 0u);
    EXPECT_EQ(tiles->tileFor("", "realesrgan-x4plus"), TileMemory::engineChoice);
    EXPECT_EQ(VImage::new_from_file(result.output.c_str()).max(), 0);
}
