// The built program in snapshot mode, with no display and no engine, HOME in a folder of the
// test's own so that the user's settings are the defaults.
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    SnapshotTest() { std::filesystem::create_directories(folder / "home"); }

    test::ProgramRun snapshot(std::vector<std::string> arguments,
                              std::map<std::string, std::optional<std::string>> environment = {}) {
        arguments.insert(arguments.begin(), "--snapshot");
        environment.emplace("HOME", (folder / "home").string());
        environment.emplace("XDG_CONFIG_HOME", (folder / "home" / ".config").string());
        environment.emplace("REALESRGAN_DIR", (folder / "no-engine").string());
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

    // The files in the test's folder, to see that nothing partial was left.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }

    test::TemporaryFolder folder{"clarivex-snapshot"};
};

TEST_F(SnapshotTest, EveryStateRendersTheWholeWindowWithoutADisplay) {
    const std::string a = picture("a.png", {320, 240}, Qt::darkGreen);
    const std::string b = picture("b.png", {1280, 960}, Qt::darkBlue);
    const std::string c = picture("c.png", {160, 120}, Qt::darkYellow);
    const std::vector<std::vector<std::string>> runs{
        {"--state", "empty"},
        {a, b, c},
        {"--state", "done", a, b},
        // Fewer files than the state needs: that part of the demonstration is left out.
        {"--state", "done", a},
        {"--state", "done"},
        {a, "--state"},
        {(folder / "missing.jpg").string(), a, (folder / "missing.mp4").string()},
    };
    for (const auto& arguments : runs) {
        std::vector<std::string> all{out()};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const test::ProgramRun run = snapshot(all);
        const std::string what = ::testing::PrintToString(arguments);
        ASSERT_EQ(run.exitStatus, 0) << what << run.out << run.err;
        EXPECT_EQ(run.out, "Снимок: " + out() + "\n") << what;
        EXPECT_EQ(read(out()).size(), QSize(1180, 760)) << what;
        std::filesystem::remove(out());
    }
}

TEST_F(SnapshotTest, ScaleFactorTwoGivesTwiceThePixels) {
    const test::ProgramRun run = snapshot({out(), "--state", "empty"}, {{"QT_SCALE_FACTOR", "2"}});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(read(out()).size(), QSize(2360, 1520));
}

TEST_F(SnapshotTest, AnExistingFileIsReplaced) {
    const std::string existing = picture("out.png", {10, 10}, Qt::red);
    const test::ProgramRun run = snapshot({existing, "--state", "empty"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(read(existing).size(), QSize(1180, 760));
    EXPECT_EQ(names(), (std::vector<std::string>{"home", "out.png"}));
}

TEST_F(SnapshotTest, APlaceThatCannotBeWrittenFailsAndWritesNothing) {
    test::writeFile(folder / "plain-file", "not a folder");
    std::filesystem::create_directory(folder / "a-folder");
    const struct {
        std::string out;
        std::string message;
    } cases[] = {
        {out("missing/out.png"), "Ошибка: не удалось записать снимок в папку " + out("missing")},
        {out("plain-file/out.png"),
         "Ошибка: не удалось записать снимок в папку " + out("plain-file")},
        {out("a-folder"), "Ошибка: " + out("a-folder") + " — это папка, снимок туда не записать"},
    };
    for (const auto& c : cases) {
        const test::ProgramRun run = snapshot({c.out, "--state", "empty"});
        EXPECT_EQ(run.exitStatus, 1) << c.out;
        EXPECT_EQ(run.out, c.message + "\n");
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"a-folder", "home", "plain-file"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "a-folder"));
}

} // namespace
