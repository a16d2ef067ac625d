// The extractor against a scripted ffmpeg: a shell that prints prepared PNG files, then fails,
// hangs or ends as each case needs.
#include "core/video/frame_extractor.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/png_bytes.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace clarivex;
namespace fs = std::filesystem;

namespace {

class FrameExtractorTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(test::noChildLeft()); }

    // A shell that prints `frames` numbered PNG files, then runs `then`.
    FrameExtractor::Setup setup(int frames, const std::string& then = "", int chunkSize = 3) {
        std::string bytes;
        for (int number = 1; number <= frames; ++number)
            bytes += test::pngBytes(1, 1, "frame " + std::to_string(number));
        test::writeFile(folder / "frames", bytes);
        fs::remove_all(work);
        fs::create_directories(work);
        return {"/bin/sh",
                {"-c", "cat '" + (folder / "frames").string() + "'; " + then},
                work,
                chunkSize,
                1 << 20};
    }

    test::TemporaryFolder folder{"clarivex-extractor"};
    fs::path work = folder / "work";
    FirstFailure failures;
};

} // namespace

TEST_F(FrameExtractorTest, FailuresTellWhyAndTheFirstOneWins) {
    const struct {
        const char* name;
        int frames;
        std::string then;
        bool failedBefore;
        UpscaleError error;
    } cases[] = {
        {"ffmpeg fails", 2, "echo boom >&2; exit 3", false,
         UpscaleError::programExit("sh", 3, "boom")},
        {"no frame at all", 0, "", false, UpscaleError::of(UpscaleError::Case::noFrames)},
        {"cut last frame", 1, "printf '\\211PNG'", false,
         UpscaleError::of(UpscaleError::Case::cutFrame)},
        {"another side failed first", 2, "exit 3", true, UpscaleError::failed("first")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FirstFailure shared;
        if (c.failedBefore)
            shared.record(std::make_exception_ptr(UpscaleError::failed("first")));
        FrameExtractor extractor(setup(c.frames, c.then, 5), {}, shared);
        EXPECT_EQ(test::errorOf([&] {
                      while (extractor.next({})) {
                      }
                  }),
                  c.error);
        EXPECT_TRUE(shared.stopToken().stop_requested());
    }
}

// While ffmpeg still works, and while the extractor waits for the consumer to take a chunk:
// a stop ends the wait, and the extractor's end leaves no child behind.
TEST_F(FrameExtractorTest, StopsInEveryPhase) {
    std::stop_source stopped;
    stopped.request_stop();
    {
        FrameExtractor working(setup(0, "exec sleep 300"), {}, failures);
        EXPECT_THROW(working.next(stopped.get_token()), Cancelled);
    }
    {
        FrameExtractor waiting(setup(9, "exec sleep 300"), {}, failures);
        ASSERT_TRUE(waiting.next({}));
        while (waiting.count().frames < 6)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(failures.first());
}
