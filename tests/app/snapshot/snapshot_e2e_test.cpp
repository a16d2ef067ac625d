// The built program in snapshot mode, with no display and no engine, HOME in a folder of the
// test's own so that the user's settings are the defaults.
#include "support/media_fixture.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace clarivex;

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    SnapshotTest() {
        std::filesystem::create_directories(folder / "home");
        std::filesystem::create_directories(temporary);
    }

    test::ProgramRun snapshot(std::vector<std::string> arguments,
                              std::map<std::string, std::optional<std::string>> environment = {}) {
        arguments.insert(arguments.begin(), "--snapshot");
        environment.emplace("HOME", (folder / "home").string());
        environment.emplace("XDG_CONFIG_HOME", (folder / "home" / ".config").string());
        environment.emplace("REALESRGAN_DIR", (folder / "no-engine").string());
        environment.emplace("TMPDIR", temporary.string());
        environment.emplace("DISPLAY", std::nullopt);
        environment.emplace("WAYLAND_DISPLAY", std::nullopt);
        environment.emplace("QT_QPA_PLATFORM", "xcb");
        return test::runProgram(CLARIVEX_BINARY, arguments, environment);
    }

    std::string picture(const std::string& name, QSize size, QColor colour) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const auto file = (folder / name).string();
        image.save(QString::fromStdString(file));
        return file;
    }

    std::string out(const std::string& name = "out.png") const { return (folder / name).string(); }

    static QImage read(const std::string& file) { return QImage(QString::fromStdString(file)); }

    test::TemporaryFolder folder{"clarivex-snapshot"};
    const std::filesystem::path temporary = folder / "home" / "tmp";
};

TEST_F(SnapshotTest, EveryStateRendersTheWholeWindowWithoutADisplay) {
    const std::string a = picture("a.png", {320, 240}, Qt::darkGreen);
    const std::string b = picture("b.png", {1280, 960}, Qt::darkBlue);
    const std::string c = picture("c.png", {160, 120}, Qt::darkYellow);
    const std::string missing = (folder / "missing").string();
    const std::vector<std::vector<std::string>> runs{
        {"--state", "empty"},
        {a, b, c, missing + ".jpg", missing + ".mp4"},
        {"--state", "done", a, b},
        // Fewer files than the state needs: that part of the demonstration is left out.
        {"--state", "done", a},
    };
    for (const auto& arguments : runs) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        std::vector<std::string> all{out()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const test::ProgramRun run = snapshot(all);
        ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
        EXPECT_EQ(run.out, "Снимок: " + out() + "\n");
        const QImage image = read(out()).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), QSize(1180, 760));
        EXPECT_TRUE(test::entriesStartingWith(temporary, "Clarivex-").empty())
            << "a working folder was left behind";
        std::filesystem::remove(out());
        if (arguments.size() != 4)
            continue;
        // The comparison: the source (green) left of the split, the result (blue) right.
        int lastGreen = -1, firstBlue = 880;
        for (int x = 0; x < 880; ++x) {
            const QRgb pixel = image.pixel(x, 250);
            if (qGreen(pixel) > 90 && qRed(pixel) < 60 && qBlue(pixel) < 60)
                lastGreen = x;
            if (qBlue(pixel) > 90 && qRed(pixel) < 60 && qGreen(pixel) < 60)
                firstBlue = std::min(firstBlue, x);
        }
        EXPECT_GT(lastGreen, 100) << "no source picture";
        EXPECT_LT(firstBlue, 800) << "no result picture";
        EXPECT_LT(lastGreen, firstBlue) << "no split between source and result";
    }
}

TEST_F(SnapshotTest, AnExistingFileIsReplacedAtTheScreensScale) {
    const std::string existing = picture("out.png", {10, 10}, Qt::red);
    const test::ProgramRun run =
        snapshot({existing, "--state", "empty"}, {{"QT_SCALE_FACTOR", "2"}});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(read(existing).size(), QSize(2360, 1520));
    EXPECT_EQ(test::namesIn(folder.path()), (std::vector<std::string>{"home", "out.png"}));
}

TEST_F(SnapshotTest, APlaceThatCannotBeWrittenOrAPictureThatIsNoFileFailsAndWritesNothing) {
    test::writeFile(folder / "plain-file", "not a folder");
    std::filesystem::create_directory(folder / "a-folder");
    // A pipe and a device node are never replaced by a file (as root, /dev/null would be).
    ASSERT_EQ(::mkfifo(out("pipe").c_str(), 0600), 0);
    const bool device = ::mknod(out("device").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    std::filesystem::create_symlink("/dev/zero", out("zero.png"));
    const auto notAFile = [](const std::string& path) {
        return "Ошибка: " + path + " — не обычный файл, снимок туда не записать";
    };
    // A pipe or a device among the pictures would hold the snapshot or feed it endlessly.
    const auto notAPicture = [](const std::string& path) {
        return "Ошибка: " + path + " — не обычный файл, снимок его не покажет";
    };
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    std::vector<Case> cases{
        {{out("missing/out.png")}, "Ошибка: не удалось записать снимок в папку " + out("missing")},
        {{out("plain-file/out.png")},
         "Ошибка: не удалось записать снимок в папку " + out("plain-file")},
        {{out("a-folder")}, "Ошибка: " + out("a-folder") + " — это папка, снимок туда не записать"},
        {{out("pipe")}, notAFile(out("pipe"))},
        {{out(), "--state", "done", out("zero.png")}, notAPicture(out("zero.png"))},
        {{out(), out("pipe")}, notAPicture(out("pipe"))},
    };
    if (device)
        cases.push_back({{out("device")}, notAFile(out("device"))});
    for (auto& c : cases) {
        if (c.arguments.size() == 1)
            c.arguments.insert(c.arguments.end(), {"--state", "empty"});
        const test::ProgramRun run = snapshot(c.arguments);
        EXPECT_EQ(run.exitStatus, 1) << c.arguments[0];
        EXPECT_EQ(run.out, c.message + "\n");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(out("pipe")));
    EXPECT_TRUE(!device || std::filesystem::is_character_file(out("device")));
    for (const char* name : {"pipe", "device", "zero.png"})
        std::filesystem::remove(out(name));
    EXPECT_EQ(test::namesIn(folder.path()),
              (std::vector<std::string>{"a-folder", "home", "plain-file"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "a-folder"));
}

} // namespace
