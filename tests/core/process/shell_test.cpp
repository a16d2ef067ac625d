#include "core/process/shell.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <signal.h>
#include <sys/stat.h>

using namespace clarivex;
using clarivex::test::noChildLeft;

namespace {

std::string runScript(const std::string& script, const Shell::LineObserver& onLine = {},
                      std::stop_token stopToken = {}) {
    return Shell::run("/bin/sh", {"-c", script}, onLine, stopToken);
}

} // namespace

TEST(Shell, ReturnsStandardOutputAndShowsBothStreamsToTheObserver) {
    std::mutex lock;
    std::vector<std::string> lines;
    const auto observer = [&](const std::string& line) {
        std::lock_guard guard(lock);
        lines.push_back(line);
    };
    // Standard input is empty; arguments arrive unchanged; environment and folder are ours.
    ::setenv("CLARIVEX_SHELL_TEST", "inherited value", 1);
    EXPECT_EQ(Shell::run("/bin/sh",
                         {"-c",
                          R"(cat; echo to-err >&2; for a in "$@"; do printf '[%s]\n' "$a"; done; )"
                          R"(echo "$CLARIVEX_SHELL_TEST"; pwd)",
                          "sh", "a b", "", "\"quoted\"", "$HOME", "*"},
                         observer, {}),
              "[a b]\n[]\n[\"quoted\"]\n[$HOME]\n[*]\ninherited value\n" +
                  std::filesystem::current_path().string());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "to-err"), lines.end());
    EXPECT_EQ(lines.size(), 8u);
    EXPECT_EQ(runScript("echo only-errors >&2"), "");
}

TEST(Shell, FailureNamesTheProgramAndItsLastErrorLines) {
    const struct {
        const char* script;
        int status;
        const char* errorLines;
    } cases[] = {
        {"i=1; while [ $i -le 80 ]; do echo line $i >&2; i=$((i+1)); done; exit 2", 2,
         "line 75\nline 76\nline 77\nline 78\nline 79\nline 80"},
        {"exit 3", 3, ""},
        {"echo A >&2; echo B >&2; echo not-an-error; exit 1", 1, "A\nB"},
        // An end by a signal is still a failure, reported the way shells report it.
        {"kill -KILL $$", 137, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::errorOf([&] { runScript(c.script); }),
                  UpscaleError::programExit("sh", c.status, c.errorLines));
    EXPECT_TRUE(noChildLeft());
}

TEST(Shell, LaunchFailuresArePlatformErrors) {
    const test::TemporaryFolder folder;
    test::writeFile(folder / "plain.txt", "#!/bin/sh\necho should not run\n");
    const std::pair<std::filesystem::path, std::errc> cases[] = {
        {folder / "missing-program", std::errc::no_such_file_or_directory},
        {folder / "plain.txt", std::errc::permission_denied},
        {folder.path(), std::errc::permission_denied},
    };
    for (const auto& [executable, code] : cases) {
        try {
            Shell::run(executable, {}, {}, {});
            ADD_FAILURE() << "launched " << executable;
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), code) << executable;
        }
    }
    EXPECT_TRUE(noChildLeft());
}

TEST(Shell, WhatTheProgramWritesIsPrivateWhateverOurUmask) {
    const mode_t ours = ::umask(0);
    EXPECT_EQ(runScript("umask"), "0077");
    ::umask(ours);
}

TEST(Shell, DrainsBothStreamsWithoutStalling) {
    // Far more than a pipe holds, on both streams, so a runner that read one stream at a time
    // would stall with the child blocked on the other.
    const auto out = runScript("seq 1 100000 >&2 & seq 1 100000; wait");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 99999);
    EXPECT_TRUE(out.ends_with("\n100000"));
}

TEST(Shell, ObserverSeesTheRunAsItHappensAndMayThrow) {
    const test::TemporaryFolder folder;
    const auto marker = folder / "go";
    // The program waits for a file that only the observer creates: lines must arrive while the
    // program runs, not after it has ended.
    const auto observer = [&](const std::string& line) {
        if (line == "waiting")
            std::ofstream(marker) << "go";
    };
    EXPECT_EQ(runScript("echo waiting; while [ ! -e '" + marker.string() +
                            "' ]; do sleep 0.05; done; echo seen",
                        observer),
              "waiting\nseen");
    const auto throwing = [](const std::string&) { throw std::runtime_error("observer failed"); };
    EXPECT_THROW(runScript("echo first; exec sleep 60", throwing), std::runtime_error);
    EXPECT_TRUE(noChildLeft());
}

// Terminated, the program ends with a non-zero status, but a cancelled run is never reported
// as failed: from the observer's thread, from another one, or before the start (then nothing
// is launched).
// The peak of this process's resident memory, in KiB.
long peakMemory() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return 0;
}

// A program gone wrong that writes hundreds of megabytes, without line feeds on one stream and
// as lines on the other, costs us a bounded amount of memory however much it writes.
TEST(Shell, WhatIsKeptOfAFloodIsBounded) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's own bookkeeping of memory makes the peak say nothing";
#endif
    const long before = peakMemory();
    ASSERT_GT(before, 0) << "no VmHWM in /proc/self/status";
    std::size_t observed = 0;
    const std::string out = runScript("head -c 150000000 /dev/zero | tr '\\0' x >&2; "
                                      "head -c 150000000 /dev/zero | tr '\\0' x | fold -w 100",
                                      [&](const std::string& line) { observed += line.size(); });
    EXPECT_LE(out.size(), Shell::Collected::maxOutputBytes);
    EXPECT_GT(observed, 150'000'000u) << "every line still reaches the observer";
    EXPECT_LT(peakMemory() - before, 64 * 1024) << "KiB more at the peak";
}

TEST(ShellCancel, StopIsACancellationNeverAFailure) {
    const test::TemporaryFolder folder;
    for (const char* who : {"observer", "other thread", "before"}) {
        SCOPED_TRACE(who);
        std::stop_source source;
        std::atomic<bool> ready = false;
        if (std::string(who) == "before")
            source.request_stop();
        const std::jthread stopper([&] {
            if (std::string(who) != "other thread")
                return;
            while (!ready)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            source.request_stop();
        });
        const auto observer = [&](const std::string&) {
            ready = true;
            if (std::string(who) == "observer")
                source.request_stop();
        };
        EXPECT_THROW(
            runScript("touch '" + (folder / "ran").string() + "'; echo ready; exec sleep 60",
                      observer, source.get_token()),
            Cancelled);
        EXPECT_EQ(std::filesystem::exists(folder / "ran"), std::string(who) != "before");
        std::filesystem::remove(folder / "ran");
        EXPECT_TRUE(noChildLeft());
    }
}

TEST(ShellCancel, ProgramThatIgnoresTerminationIsKilled) {
    std::stop_source source;
    std::atomic<pid_t> pid = 0;
    const auto observer = [&](const std::string& line) {
        pid = std::stoi(line);
        source.request_stop();
    };
    // An ignored signal stays ignored across exec, so `sleep` shrugs off the polite request.
    EXPECT_THROW(runScript("trap '' TERM; echo $$; exec sleep 60", observer, source.get_token()),
                 Cancelled);
    EXPECT_TRUE(noChildLeft());
    EXPECT_NE(pid.load(), 0);
    EXPECT_EQ(::kill(pid, 0), -1);
}
