// The built program in window mode on the offscreen platform, with the stand-in engine and
// HOME, TMPDIR and the runtime folder in the test's own folder: a second start hands its file
// to the running window, and a termination signal stops the running job cleanly.
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace clarivex;

namespace {

// Polls until `condition` holds; the limit only keeps a broken build from hanging the suite.
bool eventually(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Whether any process was started as `executable`. Compared by the path it was started with,
// not the file it runs: other tests start the same stand-in from their own folders.
bool anyProcessRuns(const std::filesystem::path& executable) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream commandLine(entry.path() / "cmdline", std::ios::binary);
        std::string program;
        if (std::getline(commandLine, program, '\0') && program == executable.string())
            return true;
    }
    return false;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        for (const char* name : {"home", "tmp", "photos"})
            std::filesystem::create_directories(folder / name);
        std::filesystem::create_directories(runtime());
        std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
        environment = {
            {"HOME", (folder / "home").string()},
            {"XDG_CONFIG_HOME", (folder / "home" / ".config").string()},
            {"XDG_RUNTIME_DIR", runtime().string()},
            {"TMPDIR", temporary().string()},
            {"REALESRGAN_DIR", engine.folder().string()},
            {"QT_QPA_PLATFORM", "offscreen"},
        };
    }

    ~WindowTest() override {
        if (window > 0) {
            ::kill(window, SIGKILL);
            ::waitpid(window, nullptr, 0);
        }
    }

    std::filesystem::path runtime() const { return folder / "run"; }
    std::filesystem::path temporary() const { return folder / "tmp"; }
    std::filesystem::path socket() const {
        return runtime() / ("clarivex-" + std::to_string(getuid()) + ".socket");
    }

    std::filesystem::path photo(const std::string& name) const {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const auto file = folder / "photos" / name;
        picture.save(QString::fromStdString(file.string()));
        return file;
    }

    // Starts the window in the background; the test process has no other threads, so the
    // child may change its environment before exec.
    void startWindow(const std::vector<std::string>& arguments) {
        window = ::fork();
        ASSERT_GE(window, 0);
        if (window == 0) {
            for (const auto& [name, value] : environment)
                ::setenv(name.c_str(), value->c_str(), 1);
            std::vector<std::string> texts{CLARIVEX_BINARY};
            texts.insert(texts.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (auto& text : texts)
                argv.push_back(text.data());
            argv.push_back(nullptr);
            ::execv(CLARIVEX_BINARY, argv.data());
            ::_exit(127);
        }
    }

    // Sends SIGTERM and returns the exit status.
    int terminateWindow() {
        ::kill(window, SIGTERM);
        int status = 0;
        ::waitpid(window, &status, 0);
        window = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    test::TemporaryFolder folder{"clarivex-window"};
    test::TestEngine engine;
    std::map<std::string, std::optional<std::string>> environment;
    pid_t window = -1;
};

TEST_F(WindowTest, ASecondStartHandsItsFileToTheRunningWindow) {
    startWindow({});
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(socket()); }));

    const test::ProgramRun second =
        test::runProgram(CLARIVEX_BINARY, {photo("a.png").string()}, environment);
    EXPECT_EQ(second.exitStatus, 0) << second.out << second.err;
    // The first window queued the file and its worker enlarged it.
    EXPECT_TRUE(eventually([&] { return std::filesystem::exists(folder / "photos/a-4k.png"); }));
    EXPECT_EQ(terminateWindow(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
}

TEST_F(WindowTest, TerminationStopsTheRunningJobAndLeavesNothingBehind) {
    environment.emplace("FAKE_ESRGAN_HANG", "1");
    startWindow({photo("a.png").string()});
    ASSERT_TRUE(eventually([&] { return anyProcessRuns(engine.executable()); }));
    ASSERT_FALSE(std::filesystem::is_empty(temporary()));

    EXPECT_EQ(terminateWindow(), 0);
    EXPECT_FALSE(anyProcessRuns(engine.executable()));
    EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    EXPECT_FALSE(std::filesystem::exists(folder / "photos/a-4k.png"));
}

} // namespace
