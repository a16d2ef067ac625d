// The built program in snapshot mode, with no display and no engine, HOME in a folder of the
// test's own so that the user's settings are the defaults.
#include "support/program_run.h"
#include "support/temporary_folder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

    // The files in the test's folder, to see that nothing partial was left.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }

    test::TemporaryFolder folder{"clarivex-snapshot"};
    const std::filesystem::path temporary = folder / "home" / "tmp";
};

// The accent red of the progress bar and the emblem; the test's own pictures hold no red.
bool isAccent(QRgb pixel) {
    return qRed(pixel) > 170 && qGreen(pixel) < 110 && qBlue(pixel) < 100;
}

// For each row in [top, bottom), how far apart its first and last accent pixels lie inside the
// running panel's edges (a moving shine may break the bar's colour in between).
std::vector<int> accentSpans(const QImage& image, int top, int bottom) {
    std::vector<int> spans;
    for (int y = top; y < bottom; ++y) {
        int first = -1, last = -1;
        for (int x = 60; x < 820; ++x)
            if (isAccent(image.pixel(x, y))) {
                first = first < 0 ? x : first;
                last = x;
            }
        spans.push_back(first < 0 ? 0 : last - first + 1);
    }
    return spans;
}

TEST_F(SnapshotTest, EveryStateRendersTheWholeWindowWithoutADisplay) {
    const std::string a = picture("a.png", {320, 240}, Qt::darkGreen);
    const std::string b = picture("b.png", {1280, 960}, Qt::darkBlue);
    const std::string c = picture("c.png", {160, 120}, Qt::darkYellow);
    using Check = std::function<void(const QImage&)>;
    const Check none = [](const QImage&) {};
    const struct {
        std::vector<std::string> arguments;
        Check check;
    } runs[] = {
        {{"--state", "empty"},
         [](const QImage& image) {
             // The drop invitation's red emblem in the middle of the stage.
             int red = 0;
             for (int y = 250; y < 350; ++y)
                 for (int x = 390; x < 490; ++x)
                     red += isAccent(image.pixel(x, y));
             EXPECT_GT(red, 5000) << "no emblem";
         }},
        {{a, b, c},
         [](const QImage& image) {
             // The progress bar below the preview: rows of accent a good deal shorter than the
             // panel's edge, filled to a bit under half of the track.
             int bar = 0;
             for (const int span : accentSpans(image, 380, 680))
                 if (span < 600)
                     bar = std::max(bar, span);
             EXPECT_GT(bar, 150) << "no progress bar";
             EXPECT_LT(bar, 380) << "the bar is fuller than 46 %";
         }},
        {{"--state", "done", a, b},
         [](const QImage& image) {
             // The comparison: the source (green) left of the split, the result (blue) right.
             const int row = 250;
             int lastGreen = -1, firstBlue = 880;
             for (int x = 0; x < 880; ++x) {
                 const QRgb pixel = image.pixel(x, row);
                 if (qGreen(pixel) > 90 && qRed(pixel) < 60 && qBlue(pixel) < 60)
                     lastGreen = x;
                 if (qBlue(pixel) > 90 && qRed(pixel) < 60 && qGreen(pixel) < 60)
                     firstBlue = std::min(firstBlue, x);
             }
             EXPECT_GT(lastGreen, 100) << "no source picture";
             EXPECT_LT(firstBlue, 800) << "no result picture";
             EXPECT_LT(lastGreen, firstBlue) << "no split between source and result";
         }},
        // Fewer files than the state needs: that part of the demonstration is left out.
        {{"--state", "done", a}, none},
        {{"--state", "done"}, none},
        {{a, "--state"}, none},
        {{(folder / "missing.jpg").string(), a, (folder / "missing.mp4").string()}, none},
    };
    for (const auto& r : runs) {
        std::vector<std::string> all{out()};
        all.insert(all.end(), r.arguments.begin(), r.arguments.end());
        const test::ProgramRun run = snapshot(all);
        const std::string what = ::testing::PrintToString(r.arguments);
        ASSERT_EQ(run.exitStatus, 0) << what << run.out << run.err;
        EXPECT_EQ(run.out, "Снимок: " + out() + "\n") << what;
        const QImage image = read(out()).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), QSize(1180, 760)) << what;
        SCOPED_TRACE(what);
        r.check(image);
        for (const auto& entry : std::filesystem::directory_iterator(temporary))
            EXPECT_FALSE(entry.path().filename().string().starts_with("Clarivex-"))
                << "a working folder was left behind";
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
    // A pipe and a device node are never replaced by a file (as root, /dev/null would be).
    ASSERT_EQ(::mkfifo(out("pipe").c_str(), 0600), 0);
    const bool device = ::mknod(out("device").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    const auto notAFile = [](const std::string& path) {
        return "Ошибка: " + path + " — не обычный файл, снимок туда не записать";
    };
    struct Case {
        std::string out;
        std::string message;
    };
    std::vector<Case> cases{
        {out("missing/out.png"), "Ошибка: не удалось записать снимок в папку " + out("missing")},
        {out("plain-file/out.png"),
         "Ошибка: не удалось записать снимок в папку " + out("plain-file")},
        {out("a-folder"), "Ошибка: " + out("a-folder") + " — это папка, снимок туда не записать"},
        {out("pipe"), notAFile(out("pipe"))},
    };
    if (device)
        cases.push_back({out("device"), notAFile(out("device"))});
    for (const auto& c : cases) {
        const test::ProgramRun run = snapshot({c.out, "--state", "empty"});
        EXPECT_EQ(run.exitStatus, 1) << c.out;
        EXPECT_EQ(run.out, c.message + "\n");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(out("pipe")));
    EXPECT_TRUE(!device || std::filesystem::is_character_file(out("device")));
    std::filesystem::remove(out("pipe"));
    std::filesystem::remove(out("device"));
    EXPECT_EQ(names(), (std::vector<std::string>{"a-folder", "home", "plain-file"}));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "a-folder"));
}

} // namespace
