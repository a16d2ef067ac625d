#include "core/video/pipe_encoder.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace clarivex;
using namespace clarivex::test;

namespace {

// More than the pipe holds, so that a write can only end once the other side has read it
// or has gone.
const std::string bigFrame(8 << 20, 'x');

PipeEncoder scriptEncoder(const std::string& script) {
    return PipeEncoder("/bin/sh", {"-c", script});
}

class PipeEncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As the application's entry does for the whole process.
        std::signal(SIGPIPE, SIG_IGN);
    }
    void TearDown() override { EXPECT_TRUE(noChildLeft()); }
};

} // namespace

TEST_F(PipeEncoderTest, EncoderThatHasStoppedFailsTheNextWriteWithItsMessage) {
    auto encoder = scriptEncoder("echo 'Unknown encoder' >&2; echo 'второй ряд' >&2; exit 1");
    const UpscaleError stopped = UpscaleError::encoderStopped("Unknown encoder\nвторой ряд");
    EXPECT_EQ(errorOf([&] { encoder.write(bigFrame); }), stopped);
    // The encoder stays stopped; every later write says so too.
    EXPECT_EQ(errorOf([&] { encoder.write("x"); }), stopped);
    encoder.kill();
}

TEST_F(PipeEncoderTest, KillUnblocksAWriteThatWaitsForAStuckEncoder) {
    auto encoder = scriptEncoder("echo 'stuck' >&2; exec sleep 30");
    std::jthread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        encoder.kill();
    });
    EXPECT_EQ(errorOf([&] { encoder.write(bigFrame); }), UpscaleError::encoderStopped("stuck"));
}

TEST_F(PipeEncoderTest, KillOnADeadEncoderKeepsItsMessage) {
    auto dead = scriptEncoder("exit 4");
    dead.kill();
    EXPECT_EQ(errorOf([&] { dead.write("x"); }).kind(), UpscaleError::Case::encoderStopped);
}

TEST_F(PipeEncoderTest, DestroyingARunningEncoderReapsIt) {
    {
        auto encoder = scriptEncoder("exec sleep 30");
        encoder.write("a few bytes");
    }
    EXPECT_TRUE(noChildLeft());
}

TEST_F(PipeEncoderTest, LaunchFailureIsAPlatformError) {
    EXPECT_THROW(PipeEncoder("/nonexistent/ffmpeg", {}), std::system_error);
}

// Without the entry's process-wide setting, a dead encoder must still fail the write rather
// than end the program with SIGPIPE.
TEST(PipeEncoderSignals, DeadEncoderDoesNotKillTheProgramWithoutIgnoredSigpipe) {
    std::signal(SIGPIPE, SIG_DFL);
    // Alive when the write starts, gone before it ends.
    auto encoder = PipeEncoder("/bin/sh", {"-c", "head -c 1000 >/dev/null; echo gone >&2; exit 1"});
    EXPECT_EQ(errorOf([&] { encoder.write(bigFrame); }), UpscaleError::encoderStopped("gone"));
    std::signal(SIGPIPE, SIG_IGN);
}
