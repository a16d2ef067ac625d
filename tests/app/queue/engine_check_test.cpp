#include "app/queue/engine_check.h"

#include "support/settle.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace clarivex;

// An engine replaced while the window runs is asked for its devices again. The probe of the old
// one may take seconds to end (its engine ignores termination and is killed only later); the main
// thread goes on meanwhile, and the old probe's late answer changes nothing.
TEST(EngineCheck, AReplacedEngineNeverHoldsUpTheMainThread) {
    const test::TemporaryFolder folder{"clarivex-engine-check"};
    const auto engine = folder / "realesrgan-ncnn-vulkan";
    test::writeFile(engine, "engine");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> calls = 0;
    std::promise<void> oldEntered;
    std::atomic<bool> oldProbeSawRelease = false;
    const auto probe = [&](const Tools&, std::stop_token) {
        if (calls++ > 0) {
            EngineDevices devices;
            devices.learn("[0 New GPU]  queueC=0[1]");
            return devices;
        }
        oldEntered.set_value();
        // Deaf to the stop, as a probe is whose engine ignores SIGTERM; a minute at most, so
        // that a main thread that waits for it shows as a failure rather than a hang.
        oldProbeSawRelease =
            released.wait_for(std::chrono::minutes(1)) == std::future_status::ready;
        EngineDevices devices;
        devices.learn("[0 Old GPU]  queueC=0[1]");
        return devices;
    };
    EngineCheck check([&] { return Tools{engine, folder / "models"}; }, probe);
    ASSERT_TRUE(check.isProbing());
    oldEntered.get_future().wait();

    std::filesystem::last_write_time(engine, std::filesystem::last_write_time(engine) +
                                                 std::chrono::hours(1));
    check.refresh();
    release.set_value();
    ASSERT_TRUE(test::settle([&] { return check.device().has_value(); }));
    EXPECT_EQ(check.device()->name, "New GPU");
    check.stop();
    EXPECT_TRUE(oldProbeSawRelease) << "the main thread waited for the old probe";
    EXPECT_EQ(check.device()->name, "New GPU");
}
