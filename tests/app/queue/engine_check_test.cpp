// The window's question to the engine for its devices costs an engine start of seconds and
// never holds up the main thread.
#include "app/queue/engine_check.h"
#include "core/vocabulary/upscale_error.h"

#include "support/settle.h"
#include "support/temporary_folder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>

using namespace clarivex;

// An engine replaced while the window runs is asked for its devices again. The probe of the old
// one may take seconds to end (its engine ignores termination and is killed only later); the main
// thread goes on meanwhile, also when the check stops for quitting, and the old probe's late
// answer changes nothing.
TEST(EngineCheck, AProbeDeafToItsStopNeverHoldsUpTheMainThread) {
    const test::TemporaryFolder folder{"clarivex-engine-check"};
    const auto engine = folder / "realesrgan-ncnn-vulkan";
    test::writeFile(engine, "engine");
    // Shared with the old probe, which outlives the check and may outlive this test's frame.
    struct OldProbe {
        std::promise<void> entered;
        std::promise<void> release;
        std::promise<void> ended;
    };
    const auto old = std::make_shared<OldProbe>();
    std::shared_future<void> released = old->release.get_future().share();
    auto calls = std::make_shared<std::atomic<int>>(0);
    const auto probe = [old, released, calls](const Tools&, std::stop_token stopToken) {
        EngineDevices devices;
        if ((*calls)++ > 0) {
            devices.learn("[0 New GPU]  queueC=0[1]");
            return devices;
        }
        old->entered.set_value();
        // Deaf to the stop, as a probe is whose engine ignores SIGTERM; a minute at most, so
        // that a main thread that waits for it shows as a failure rather than a hang.
        released.wait_for(std::chrono::minutes(1));
        EXPECT_TRUE(stopToken.stop_requested());
        devices.learn("[0 Old GPU]  queueC=0[1]");
        old->ended.set_value();
        return devices;
    };
    auto ended = old->ended.get_future();
    EngineCheck check([&] { return Tools{engine, folder / "models"}; }, probe);
    ASSERT_TRUE(check.isProbing());
    old->entered.get_future().wait();

    std::filesystem::last_write_time(engine, std::filesystem::last_write_time(engine) +
                                                 std::chrono::hours(1));
    check.refresh();
    ASSERT_TRUE(test::settle([&] { return check.device().has_value(); }));
    EXPECT_EQ(check.device()->name, "New GPU");
    check.stop();
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
        << "the main thread waited for the old probe";
    // Quitting gives it a moment, not the grace its engine would need to be killed.
    EXPECT_FALSE(check.waitForProbes(std::chrono::steady_clock::time_point::max()));

    old->release.set_value();
    ASSERT_EQ(ended.wait_for(std::chrono::minutes(1)), std::future_status::ready);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(check.device()->name, "New GPU");
}

// Asked once per engine in a session, whatever comes and goes meanwhile.
TEST(EngineCheck, AnEngineAskedOnceIsNeverAskedAgain) {
    test::TemporaryFolder folder{"clarivex-engine-check"};
    const auto first = folder.path() / "first" / "realesrgan-ncnn-vulkan";
    const auto second = folder.path() / "second" / "realesrgan-ncnn-vulkan";
    test::writeExecutable(first, "#!/bin/sh\n");
    test::writeExecutable(second, "#!/bin/sh\n");
    std::optional<std::filesystem::path> installed = first;
    std::atomic<int> asked = 0;
    EngineCheck check(
        [&] {
            if (!installed)
                throw UpscaleError::missingEngine();
            return Tools{*installed, installed->parent_path() / "models"};
        },
        [&](const Tools& tools, std::stop_token) {
            ++asked;
            EngineDevices devices;
            devices.learn("[0 " + tools.esrgan.parent_path().filename().string() + "]  queueC=0");
            return devices;
        });
    const auto deviceName = [&] { return check.device() ? check.device()->name : ""; };
    ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
    EXPECT_EQ(deviceName(), "first");

    // Gone and back, another in its place and back, found again as each job starts.
    const std::vector<std::optional<std::filesystem::path>> installs{std::nullopt, first,  second,
                                                                     first,        second, first};
    for (const auto& install : installs) {
        installed = install;
        check.refresh();
        ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
        EXPECT_EQ(deviceName(), install ? install->parent_path().filename().string() : "");
    }
    EXPECT_EQ(asked, 2);

    // A reinstall is another engine.
    std::filesystem::remove(first);
    test::writeExecutable(first, "#!/bin/sh\n# new\n");
    std::filesystem::last_write_time(first, std::filesystem::file_time_type::clock::now() +
                                                std::chrono::hours(1));
    check.refresh();
    ASSERT_TRUE(test::settle([&] { return !check.isProbing(); }));
    EXPECT_EQ(asked, 3);
}
