#include "core/process/shell.h"

#include "core/vocabulary/upscale_error.h"
#include "support/child_processes.h"
#include "support/temporary_folder.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <latch>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace clarivex;
using clarivex::test::noChildLeft;

namespace {

std::string runScript(const std::string& script, const Shell::LineObserver& onLine = {},
                      std::stop_token stopToken = {}) {
    return Shell::run("/bin/sh", {"-c", script}, onLine, stopToken);
}

class LineLog {
public:
    void operator()(const std::string& line) {
        std::lock_guard guard(lock_);
        lines_.push_back(line);
    }
    std::vector<std::string> lines() const {
        std::lock_guard guard(lock_);
        return lines_;
    }

private:
    mutable std::mutex lock_;
    std::vector<std::string> lines_;
};

} // namespace

TEST(Shell, ReturnsStandardOutputOnlyAndShowsBothStreamsToTheObserver) {
    LineLog log;
    EXPECT_EQ(runScript("echo to-err >&2; echo to-out", std::ref(log)), "to-out");
    auto lines = log.lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"to-err", "to-out"}));
    EXPECT_EQ(runScript("echo only-errors >&2"), "");
}

TEST(Shell, FailureNamesTheProgramAndItsLastErrorLines) {
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"i=1; while [ $i -le 80 ]; do echo line $i >&2; i=$((i+1)); done; exit 2",
         "sh завершился с кодом 2\nline 75\nline 76\nline 77\nline 78\nline 79\nline 80"},
        {"exit 3", "sh завершился с кодом 3\n"},
        {"echo A >&2; echo B >&2; echo not-an-error; exit 1", "sh завершился с кодом 1\nA\nB"},
        // An end by a signal is still a failure, reported the way shells report it.
        {"kill -KILL $$", "sh завершился с кодом 137\n"},
    };
    for (const auto& testCase : cases) {
        const auto error = test::errorOf([&] { runScript(testCase.script); });
        EXPECT_EQ(error.kind(), UpscaleError::Case::failed) << testCase.script;
        EXPECT_STREQ(error.what(), testCase.message);
    }
    EXPECT_TRUE(noChildLeft());
}

TEST(Shell, LaunchFailuresArePlatformErrors) {
    const test::TemporaryFolder folder;
    const auto notExecutable = folder / "plain.txt";
    std::ofstream(notExecutable) << "#!/bin/sh\necho should not run\n";
    ::chmod(notExecutable.c_str(), 0644);

    const struct {
        std::filesystem::path executable;
        std::errc code;
    } cases[] = {
        {folder / "missing-program", std::errc::no_such_file_or_directory},
        {notExecutable, std::errc::permission_denied},
        {folder.path(), std::errc::permission_denied},
    };
    for (const auto& testCase : cases) {
        try {
            Shell::run(testCase.executable, {}, {}, {});
            ADD_FAILURE() << "launched " << testCase.executable;
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), testCase.code) << testCase.executable;
        }
    }
    EXPECT_TRUE(noChildLeft());
}

TEST(Shell, PassesArgumentsUnchangedAndInheritsEnvironmentAndFolder) {
    ::setenv("CLARIVEX_SHELL_TEST", "inherited value", 1);
    const auto out = Shell::run(
        "/bin/sh",
        {"-c", R"(for a in "$@"; do printf '[%s]\n' "$a"; done; echo "$CLARIVEX_SHELL_TEST"; pwd)",
         "sh", "a b", "", "\"quoted\"", "$HOME", "*"},
        {}, {});
    EXPECT_EQ(out, "[a b]\n[]\n[\"quoted\"]\n[$HOME]\n[*]\ninherited value\n" +
                       std::filesystem::current_path().string());
}

TEST(Shell, StandardInputIsEmpty) {
    EXPECT_EQ(runScript("cat; echo done"), "done");
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
    EXPECT_EQ(out.size(), std::string("1\n").size() * 9 + std::string("10\n").size() * 90 +
                              std::string("100\n").size() * 900 +
                              std::string("1000\n").size() * 9000 +
                              std::string("10000\n").size() * 90000 + std::string("100000").size());
    EXPECT_EQ(out.substr(out.size() - 7), "\n100000");
}

TEST(Shell, ObserverThatThrowsLeavesNoChildBehind) {
    const auto observer = [](const std::string&) { throw std::runtime_error("observer failed"); };
    EXPECT_THROW(runScript("echo first; exec sleep 60", observer), std::runtime_error);
    EXPECT_TRUE(noChildLeft());
}

TEST(Shell, ObserverSeesTheRunAsItHappens) {
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
}

TEST(ShellCancel, StopFromAnotherThreadEndsTheRunAsCancelled) {
    std::stop_source source;
    std::latch started(1);
    std::jthread canceller([&] {
        started.wait();
        source.request_stop();
    });
    const auto observer = [&](const std::string& line) {
        if (line == "ready")
            started.count_down();
    };
    EXPECT_THROW(runScript("echo ready; exec sleep 60", observer, source.get_token()), Cancelled);
    EXPECT_TRUE(noChildLeft());
}

TEST(ShellCancel, StopFromTheObserverIsNotAFailure) {
    std::stop_source source;
    const auto observer = [&](const std::string& line) {
        if (line == "ready")
            source.request_stop();
    };
    // Terminated, the program ends with a non-zero status, but a cancelled run is never
    // reported as failed.
    try {
        runScript("echo ready; exec sleep 60", observer, source.get_token());
        ADD_FAILURE() << "not cancelled";
    } catch (const Cancelled&) {
    } catch (const UpscaleError& error) {
        ADD_FAILURE() << "reported as failed: " << error.what();
    }
    EXPECT_TRUE(noChildLeft());
}

TEST(ShellCancel, StoppedBeforeTheStartLaunchesNothing) {
    const test::TemporaryFolder folder;
    const auto marker = folder / "ran";
    std::stop_source source;
    source.request_stop();
    EXPECT_THROW(runScript("touch '" + marker.string() + "'", {}, source.get_token()), Cancelled);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_TRUE(noChildLeft());
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

TEST(ShellCollected, KeepsEveryOutputLineAndTheLastFiftyErrorLines) {
    Shell::Collected collected;
    for (int index = 1; index <= 60; ++index) {
        collected.append("out " + std::to_string(index), true);
        collected.feed("err " + std::to_string(index) + "\n", false);
    }
    EXPECT_EQ(collected.out().size(), 60u);
    const std::string kept = collected.lastErrorLines(100);
    EXPECT_EQ(kept.substr(0, kept.find('\n')), "err 11");
    EXPECT_EQ(collected.lastErrorLines(2), "err 59\nerr 60");
    EXPECT_EQ(collected.lastErrorLines(0), "");

    // A piece without its line end waits for the rest, or for the end of the stream.
    Shell::Collected pieces;
    EXPECT_TRUE(pieces.feed("on", false).empty());
    EXPECT_EQ(pieces.feed("ly\nhalf", false), std::vector<std::string>{"only"});
    EXPECT_EQ(pieces.finish(false), std::vector<std::string>{"half"});
    EXPECT_EQ(pieces.lastErrorLines(6), "only\nhalf");
    EXPECT_EQ(Shell::Collected().lastErrorLines(6), "");
}
