// The feed against a scripted encoder: a shell that reads its input, or does not, as each case
// needs.
#include "core/video/encoder_feed.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace clarivex;
namespace fs = std::filesystem;

namespace {

class EncoderFeedTest : public ::testing::Test {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override { EXPECT_TRUE(test::noChildLeft()); }

    // Chunk `index` as the network leaves it: its frames in its output folder.
    VideoChunk chunk(int index, const std::vector<std::string>& frames) {
        VideoChunk made{index,
                        0,
                        {},
                        folder / ("chunk-in-" + std::to_string(index)),
                        folder / ("chunk-out-" + std::to_string(index))};
        for (std::size_t number = 0; number < frames.size(); ++number) {
            made.frames.push_back(std::to_string(index) + "-" + std::to_string(number) + ".png");
            test::writeFile(made.out / made.frames.back(), frames[number]);
        }
        return made;
    }

    // One segment for the whole test; the script's segment file is "$1", made once it is done.
    static EncoderFeed::Setup encoder(const std::string& script) {
        return {"/bin/sh",
                [script](const fs::path& file) {
                    return std::vector<std::string>{"-c", script + "; touch \"$1\"", "sh",
                                                    file.string()};
                },
                1000};
    }

    EncoderFeed feed(const std::string& script) { return {encoder(script), parts, failures}; }

    test::TemporaryFolder folder{"clarivex-feed"};
    PartFolder parts{folder / ".clip.parts", PartManifest::Identity{}};
    FirstFailure failures;
};

// More than a pipe holds, so that writing it waits for an encoder that reads.
const std::string largeFrame(4 << 20, 'x');

} // namespace

// A network a whole chunk ahead of a stuck encoder waits in push: the chunk being written and
// the one waiting are all the enlarged frames on disk.
TEST_F(EncoderFeedTest, PushWaitsWhileTheEncoderIsAChunkBehind) {
    auto encoder = feed("exec sleep 300");
    encoder.push(chunk(0, {largeFrame}), {});
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_THROW(encoder.push(chunk(1, {"b"}), stopped.get_token()), Cancelled);
    EXPECT_TRUE(fs::exists(folder / "chunk-out-1"));
}

TEST_F(EncoderFeedTest, FailuresTellWhyAndTheFirstOneWins) {
    const struct {
        const char* name;
        std::string script;
        bool frameMissing;
        bool failedBefore;
        UpscaleError error;
    } cases[] = {
        {"frame missing", "cat >/dev/null", true, false, UpscaleError::frameSkipped("0-0.png")},
        {"encoder fails", "cat >/dev/null; echo broke >&2; exit 2", false, false,
         UpscaleError::encoderExit(2, "broke")},
        {"another side failed first", "cat >/dev/null", true, true, UpscaleError::failed("first")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FirstFailure shared;
        if (c.failedBefore)
            shared.record(std::make_exception_ptr(UpscaleError::failed("first")));
        EncoderFeed encoder(EncoderFeedTest::encoder(c.script), parts, shared);
        VideoChunk made = chunk(0, {"a"});
        if (c.frameMissing)
            fs::remove_all(made.out);
        EXPECT_EQ(test::errorOf([&] {
                      encoder.push(made, {});
                      encoder.finish({});
                  }),
                  c.error);
    }
}

// An encoder still at work on its last frames when the user stops is ended, not waited for.
TEST_F(EncoderFeedTest, StopDuringTheFinalEncodeEndsTheEncoder) {
    const auto closed = folder / "input-closed";
    auto encoder = feed("cat >/dev/null; touch '" + closed.string() + "'; exec sleep 300");
    encoder.push(chunk(0, {"a"}), {});
    std::stop_source stop;
    std::jthread stopper([&] {
        while (!fs::exists(closed))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop.request_stop();
    });
    EXPECT_THROW(encoder.finish(stop.get_token()), Cancelled);
}
