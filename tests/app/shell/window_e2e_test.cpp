// The built program in window mode on the offscreen platform, with the stand-in engine and
// HOME, TMPDIR and the runtime folder in the test's own folder, under umask 0 so that a file
// others may read shows: how a later start reaches the running window, wherever its socket has
// to go, and how a window ends.
#include "support/child_processes.h"
#include "support/gif_bytes.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace clarivex;
using test::anyProcessRuns;
using test::eventually;
namespace fs = std::filesystem;

namespace {

// Whether a process started as `executable` has begun to ignore the request to stop.
bool ignoresTermination(const fs::path& executable) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        if (test::readFile(entry.path() / "cmdline").starts_with(executable.string() + '\0')) {
            const std::string status = test::readFile(entry.path() / "status");
            const auto mask = status.find("SigIgn:");
            if (mask != std::string::npos &&
                (std::stoull(status.substr(mask + 7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0)
                return true;
        }
    }
    return false;
}

unsigned mode(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        for (const char* name : {"home", "tmp", "photos", "run"})
            fs::create_directories(folder / name);
        fs::permissions(folder / "run", fs::perms::owner_all);
        environment = {
            {"HOME", (folder / "home").string()},
            {"XDG_CONFIG_HOME", (folder / "home/.config").string()},
            {"XDG_CACHE_HOME", std::nullopt},
            {"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"TMPDIR", temporary().string()},
            {"REALESRGAN_DIR", engine.folder().string()},
            {"QT_QPA_PLATFORM", "offscreen"},
        };
    }
    ~WindowTest() override { ::umask(ours); }

    fs::path temporary() const { return folder / "tmp"; }
    fs::path socket(const fs::path& place) const {
        return place / ("clarivex-" + user + ".socket");
    }

    // Renamed into place: Qt would spell a name that is no UTF-8 otherwise.
    fs::path photo(const std::string& name) const {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(QString::fromStdString((folder / "photo.png").string()));
        fs::rename(folder / "photo.png", folder / "photos" / name);
        return folder / "photos" / name;
    }

    std::unique_ptr<test::StartedProgram> start(const std::vector<std::string>& arguments,
                                                test::EnvironmentChanges changes = {}) const {
        changes.insert(environment.begin(), environment.end());
        return std::make_unique<test::StartedProgram>(CLARIVEX_BINARY, arguments, changes);
    }

    // Ends a window as the session does, and returns how it ended.
    static test::ProgramRun terminate(test::StartedProgram& window) {
        window.signal(SIGTERM);
        return window.wait();
    }

    const mode_t ours = ::umask(0);
    const std::string user = std::to_string(::getuid());
    test::TemporaryFolder folder{"clarivex-window"};
    test::TestEngine engine;
    test::EnvironmentChanges environment;
};

TEST_F(WindowTest, LaterStartsHandTheirFilesToTheRunningWindowAsTheFileSystemNamesThem) {
    // A name that begins with a dash comes after "--"; a name that is no UTF-8 is handed over.
    const auto window = start({"--", photo("-dash.png").string()});
    ASSERT_TRUE(eventually([&] { return fs::exists(socket(folder / "run")); }));
    const test::ProgramRun second =
        test::runProgram(CLARIVEX_BINARY, {photo("\xff\xfe.png").string()}, environment);
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    for (const char* result : {"-dash-4k.png", "\xff\xfe-4k.png"}) {
        const fs::path copy = folder / "home/Pictures/Clarivex" / result;
        ASSERT_TRUE(eventually([&] { return fs::exists(copy); })) << result;
        // Out of private staging, a result is an ordinary new file of the user's.
        EXPECT_EQ(mode(folder / "photos" / result), 0666u) << result;
        EXPECT_EQ(mode(copy), 0666u) << result;
    }
    EXPECT_EQ(terminate(*window).exitStatus, 0);
    EXPECT_TRUE(fs::is_empty(temporary()));
}

// An animated GIF opened with the window comes out animated, and its Pictures copy is the same
// file.
TEST_F(WindowTest, AnAnimationOpenedInTheWindowKeepsEveryFrame) {
    test::GifSpec spec{32, 24, {0xFF0000, 0x00FF00, 0x0000FF}, {}, 0};
    for (std::uint8_t index = 0; index < 3; ++index)
        spec.frames.push_back(test::fullFrame(32, 24, index));
    test::writeFile(folder / "photos/clip.gif", test::gifBytes(spec));
    const auto window = start({(folder / "photos/clip.gif").string()});
    const fs::path copy = folder / "home/Pictures/Clarivex/clip-4k.png";
    ASSERT_TRUE(eventually([&] { return fs::exists(copy); }));
    const std::string result = test::readFile(folder / "photos/clip-4k.png");
    EXPECT_EQ(test::readFile(copy), result);
    // The animation chunk: three frames, played endlessly.
    const auto control = result.find("acTL");
    ASSERT_NE(control, std::string::npos);
    EXPECT_EQ(result.substr(control + 4, 8), std::string("\0\0\0\x03\0\0\0\0", 8));
    EXPECT_EQ(terminate(*window).exitStatus, 0);
    EXPECT_TRUE(fs::is_empty(temporary()));
}

// The engine ignores the request to stop, so the quit waits for it a while, and a later start
// meanwhile must not hand its file to the window that is going.
TEST_F(WindowTest, TerminationStopsTheJobAndAFileHandedOverMeanwhileGoesToTheNextWindow) {
    const auto quitting = start({photo("a.png").string()}, {{"FAKE_ESRGAN_HANG", "ignore-term"}});
    // The job's own working folder, not the one the engine is asked for its devices in.
    fs::path work;
    ASSERT_TRUE(eventually([&] {
        for (const auto& entry : fs::directory_iterator(temporary()))
            if (fs::exists(entry.path() / "in.png"))
                work = entry.path();
        return !work.empty() && ignoresTermination(engine.executable());
    }));
    // The photo being enlarged is the user's alone, whatever the umask.
    EXPECT_EQ(mode(work), 0700u);
    EXPECT_EQ(mode(work / "in.png"), 0600u);
    quitting->signal(SIGTERM);
    const fs::path lock = folder / "run" / ("clarivex-" + user + ".lock");
    ASSERT_TRUE(eventually([&] { return test::readFile(lock).starts_with("quitting"); }));
    EXPECT_FALSE(fs::exists(socket(folder / "run")));

    const auto next = start({photo("b.png").string()});
    EXPECT_EQ(quitting->wait().exitStatus, 0);
    EXPECT_FALSE(fs::exists(folder / "photos/a-4k.png"));
    EXPECT_TRUE(eventually([&] { return fs::exists(folder / "photos/b-4k.png"); }));
    EXPECT_EQ(terminate(*next).exitStatus, 0);
    EXPECT_FALSE(anyProcessRuns(engine.executable()));
    EXPECT_TRUE(fs::is_empty(temporary()));
}

// A window that ended while its engine was still being asked, deaf to termination, left the
// probe's working folder: the next window clears it at its start, before any job.
TEST_F(WindowTest, AWorkingFolderLeftByAnEndedWindowGoesWhenTheNextStarts) {
    const fs::path left = temporary() / "Clarivex-0F2B5C7E-1D3A-4B6C-8E9F-A1B2C3D4E5F6";
    fs::create_directory(left);
    fs::permissions(left, fs::perms::owner_all);
    test::writeFile(left / "lock", "");
    test::writeFile(left / "in.png", "x");
    const auto window = start({});
    ASSERT_TRUE(eventually([&] { return fs::exists(socket(folder / "run")); }));
    EXPECT_FALSE(fs::exists(left));
    EXPECT_EQ(terminate(*window).exitStatus, 0);
}

TEST_F(WindowTest, TheSocketGoesToAnotherPrivatePlaceWhenItsOwnIsUnusable) {
    // Someone else's folder where the temporary place would be, with a lock that sends later
    // starts to a listener of theirs. (That listener is this test's: as the same user, a start
    // that trusted the folder would hand its files over.)
    const fs::path squatted = temporary() / ("clarivex-" + user);
    const fs::path longRuntime = folder / std::string(100, 'r');
    const auto plantSquatter = [&] {
        fs::create_directory(squatted);
        test::writeFile(squatted / ("clarivex-" + user + ".lock"),
                        "listening\n" + socket(squatted).string() + '\0');
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, socket(squatted).c_str());
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 4);
        // As root the folder gets another owner; otherwise it is opened to everyone.
        if (::getuid() == 0)
            EXPECT_EQ(::chown(squatted.c_str(), 65534, 65534), 0);
        else
            fs::permissions(squatted, fs::perms::all);
        return listener;
    };
    const struct {
        const char* what;
        std::function<int()> prepare;
        fs::path runtime;
        fs::path used;
    } cases[] = {
        {"a runtime folder open to others, then a squatted temporary place",
         [&] {
             fs::permissions(folder / "run", fs::perms(0755));
             return plantSquatter();
         },
         folder / "run", folder / "home/.cache/clarivex"},
        {"a folder where the socket should be",
         [&] {
             fs::create_directories(socket(folder / "run"));
             return -1;
         },
         folder / "run", squatted},
        {"a runtime folder too deep for a socket's path",
         [&] {
             fs::create_directory(longRuntime);
             fs::permissions(longRuntime, fs::perms::owner_all);
             return -1;
         },
         longRuntime, squatted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int squatter = c.prepare();
        test::EnvironmentChanges changes{{"XDG_RUNTIME_DIR", c.runtime.string()}};
        const auto first = start({}, changes);
        ASSERT_TRUE(eventually([&] { return fs::exists(socket(c.used)); }));
        changes.insert(environment.begin(), environment.end());
        const test::ProgramRun second = test::runProgram(CLARIVEX_BINARY, {}, changes);
        EXPECT_EQ(second.exitStatus, 0) << second.err;
        const test::ProgramRun ended = terminate(*first);
        // Said once, by the window that had to choose.
        const auto said = ended.err.find("Clarivex:");
        EXPECT_TRUE(said != std::string::npos && said == ended.err.rfind("Clarivex:")) << ended.err;
        EXPECT_EQ(second.err.find("Clarivex:"), std::string::npos) << second.err;
        if (squatter >= 0) {
            EXPECT_LT(::accept(squatter, nullptr, nullptr), 0) << "the squatter was called";
            ::close(squatter);
        }
        fs::remove_all(squatted);
        fs::remove_all(socket(folder / "run"));
        fs::permissions(folder / "run", fs::perms::owner_all);
    }
}

} // namespace
