// The command line as the user runs it: the built program on real pictures and clips, with the
// stand-in engine installed in a temporary folder and HOME and TMPDIR pointed at folders of the
// test's own.
#include "support/child_processes.h"
#include "support/icc_profile.h"
#include "support/media_fixture.h"
#include "support/png_bytes.h"
#include "support/program_run.h"
#include "support/scratch_mount.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include "core/video/part_folder.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <fstream>

using namespace clarivex;
using test::runProgram;
using vips::VImage;
namespace fs = std::filesystem;

namespace {

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VIPS_INIT("cli-test"); }

    void SetUp() override {
        fs::create_directories(home());
        fs::create_directories(temporary());
        fs::create_directories(photos());
    }

    // Whatever happened, the run left no working folder behind.
    void TearDown() override { EXPECT_TRUE(fs::is_empty(temporary())); }

    fs::path home() const { return folder / "home"; }
    fs::path temporary() const { return folder / "tmp"; }
    fs::path photos() const { return folder / "photos"; }
    // Before each job the engine only names its devices, run on an empty folder.
    bool engineRanOnAPicture() const {
        const auto arguments = engine.lastArguments();
        return arguments.size() > 1 && fs::path(arguments[1]).filename() != "probe-in";
    }

    test::EnvironmentChanges environment(test::EnvironmentChanges changes = {}) const {
        changes.emplace("REALESRGAN_DIR", engine.folder().string());
        changes.emplace("HOME", home().string());
        changes.emplace("TMPDIR", temporary().string());
        changes.emplace("FAKE_ESRGAN_ARGS_FILE", engine.argumentsLog().string());
        return changes;
    }

    test::ProgramRun cli(const std::vector<std::string>& arguments,
                         const test::EnvironmentChanges& changes = {}) {
        return runProgram(CLARIVEX_BINARY, arguments, environment(changes));
    }

    // Noise, so that every format really has to store pixels.
    static VImage picture(int width, int height) {
        return VImage::gaussnoise(width, height, VImage::option()->set("mean", 128.0))
            .bandjoin({VImage::gaussnoise(width, height), VImage::gaussnoise(width, height)})
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }

    fs::path save(const VImage& image, const std::string& name) const {
        image.write_to_file((photos() / name).c_str());
        return photos() / name;
    }

    test::TemporaryFolder folder{"clarivex-cli"};
    test::TestEngine engine;
};

} // namespace

// Stored 1000×750 with "turn to view": the upright 750×1000 photo fills the portrait box.
TEST_F(CliTest, PhotoToFourKReportsItsStepsAndCopiesIntoPicturesWhereItCan) {
    VImage stored = picture(1000, 750).copy();
    stored.set("orientation", 6);
    const auto source = save(stored, "photo.jpg");
    const auto run = cli({"--cli", source.string(), "--target", "4k"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(run.err, "");
    const auto output = photos() / "photo-4k.jpg";
    const auto copy = home() / "Pictures" / "Clarivex" / "photo-4k.jpg";
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "ESRGAN: " + engine.executable().string() + " · Stand-in GPU");
    // The engine's own percentages became progress lines.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[92%] Апскейл: 100%"), lines.end());
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("Готово: " + output.string() +
                                                    " · 2160×2880 · realesrgan-x4plus · "));
    EXPECT_EQ(lines.back(), "Копия: " + copy.string());
    const VImage enlarged = VImage::new_from_file(output.c_str());
    EXPECT_EQ(std::make_pair(enlarged.width(), enlarged.height()), std::make_pair(2160, 2880));
    EXPECT_EQ(std::string(vips_foreign_find_load(output.c_str())), "VipsForeignLoadJpegFile");
    EXPECT_TRUE(fs::exists(copy));
    // The photo model at ×4, in the job's folder in TMPDIR; the stand-in refuses any other form.
    const auto arguments = engine.lastArguments();
    ASSERT_EQ(arguments.size(), 12u);
    EXPECT_EQ(fs::path(arguments[1]).parent_path().parent_path(), temporary());
    EXPECT_EQ(arguments[5] + " " + arguments[7], "realesrgan-x4plus 4");

    // A file where the Pictures folder should be, which even root cannot replace by a folder: the
    // job still succeeds, and the last line says why the copy is missing.
    fs::remove_all(home() / "Pictures");
    test::writeFile(home() / "Pictures", "in the way");
    const auto blocked = cli({"--cli", source.string(), "--target", "x2"});
    ASSERT_EQ(blocked.exitStatus, 0) << blocked.out;
    EXPECT_TRUE(fs::exists(photos() / "photo-2x.jpg"));
    const std::string copyLine = "Копия не сделана: Не удалось создать папку " +
                                 (home() / "Pictures" / "Clarivex").string() + ": ";
    EXPECT_TRUE(blocked.outLines().back().starts_with(copyLine)) << blocked.out;
    EXPECT_GT(blocked.outLines().back().size(), copyLine.size());
}

TEST_F(CliTest, WhatCannotBeEnlargedIsRefusedBeforeTheEngineRuns) {
    fs::create_symlink("/dev/zero", photos() / "zero.png");
    ASSERT_EQ(::mkfifo((photos() / "pipe.png").c_str(), 0644), 0);
    test::writeFile(photos() / "README", "text");
    test::writeFile(photos() / "a.xyz", "text");
    test::writeFile(photos() / "fake.png", "not a picture");
    save(picture(1920, 1080), "large.png");
    save(picture(20, 20), "small.png");
    // A missing model would make the real engine write a blank picture and report success.
    fs::remove(engine.models() / "realesrgan-x4plus-anime.bin");
    const auto path = [&](const char* name) { return (photos() / name).string(); };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{path("missing.png")}, "Файл не найден: " + path("missing.png")},
        {{photos().string()}, "Это папка, а не файл: " + photos().string()},
        {{path("zero.png")}, "Это не обычный файл: " + path("zero.png")},
        {{path("pipe.png")}, "Это не обычный файл: " + path("pipe.png")},
        {{""}, "Не указан файл"},
        {{path("README")}, "Формат не поддерживается: у файла нет расширения"},
        {{path("a.xyz")}, "Формат не поддерживается: xyz"},
        {{path("fake.png")}, "Формат не поддерживается: не удалось прочитать картинку"},
        {{path("large.png"), "--target", "1080p"}, "Файл уже 1920×1080 — это не меньше 1080p."},
        {{path("small.png"), "--model", "art"}, "Модель realesrgan-x4plus-anime не установлена"},
    };
    for (auto [arguments, error] : cases) {
        arguments.insert(arguments.begin(), "--cli");
        const auto run = cli(arguments);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(run.outLines().back().starts_with("Ошибка: " + error)) << run.out;
    }
    // Not even to name its devices.
    EXPECT_FALSE(fs::exists(engine.argumentsLog()));
    EXPECT_FALSE(fs::exists(photos() / "small-4k.png"));
}

// The engine spends seconds starting, so it starts only to compute: its devices are asked for
// once per engine and set of drivers and remembered in the user's cache folder, privately, and
// a file already at its target is refused before it starts at all. The "ESRGAN:" line names the
// device all the same, where it is known.
TEST_F(CliTest, EngineStartsOnlyToComputeOnceItsDevicesAreKnown) {
    const auto starts = folder.path() / "starts";
    const auto startCount = [&] {
        std::ifstream log(starts);
        return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(log),
                                                   std::istreambuf_iterator<char>(), '\n'));
    };
    const test::EnvironmentChanges counted{{"FAKE_ESRGAN_STARTS_FILE", starts.string()}};
    const std::string named = "ESRGAN: " + engine.executable().string();
    save(picture(1920, 1080), "large.png");
    struct Case {
        std::string file;
        std::string target;
        int exitStatus;
        std::string firstLine;
        std::size_t startsAfter;
    };
    const std::vector<Case> cases{
        {"large.png", "1080p", 1, named, 0},
        {"a.png", "x2", 0, named + " · Stand-in GPU", 2},
        {"b.png", "x2", 0, named + " · Stand-in GPU", 3},
        {"c.png", "x2", 0, named + " · Stand-in GPU", 4},
        {"large.png", "1080p", 1, named + " · Stand-in GPU", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.file != "large.png")
            save(picture(20, 20), c.file);
        const auto run =
            cli({"--cli", (photos() / c.file).string(), "--target", c.target, "--no-pictures"},
                counted);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << run.out;
        ASSERT_FALSE(run.outLines().empty());
        EXPECT_EQ(run.outLines().front(), c.firstLine);
        EXPECT_EQ(startCount(), c.startsAfter);
    }
    const auto cache = home() / ".cache" / "clarivex" / "devices";
    EXPECT_EQ(fs::status(cache).permissions(), fs::perms::owner_all);

    // A reinstalled engine is asked again.
    engine.surround("", "");
    const auto again =
        cli({"--cli", (photos() / "a.png").string(), "--target", "x4", "--no-pictures"}, counted);
    EXPECT_EQ(again.exitStatus, 0) << again.out;
    EXPECT_EQ(startCount(), 6u);
}

TEST_F(CliTest, DecompressionBombIsRefusedFromItsHeader) {
    const auto bomb = photos() / "bomb.png";
    // A header that declares 60000 × 60000 pixels, with almost no data behind it.
    test::writeFile(bomb, test::pngBytes(60000, 60000, std::string("\x78\x9c\x03\0\0\0\0\x01", 8)));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"x2", "Ошибка: Картинка 60000×60000 слишком большая: нейросеть выдала бы 240000×240000 "
               "пикселей, а в память помещается не больше 400 мегапикселей."},
        {"4k", "Ошибка: Файл уже 60000×60000 — это не меньше 4K."},
    };
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves far more address space than any limit would leave, and its
    // allocator stops the program on an allocation of a decode's size anyway.
    const std::string limit;
#else
    // Far below what decoding would take, so that a decode attempt fails differently instead of
    // taking the machine's memory.
    const std::string limit = "ulimit -v 4000000 && ";
#endif
    for (const auto& [target, error] : cases) {
        const auto run = runProgram("/bin/sh",
                                    {"-c", limit + "exec \"$0\" \"$@\"", CLARIVEX_BINARY, "--cli",
                                     bomb.string(), "--target", target},
                                    environment());
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(run.outLines().back().starts_with(error)) << run.out;
    }
    EXPECT_FALSE(engineRanOnAPicture());
}

// SIGKILL leaves no chance to clean up; the engine, which only waits, must still not run on
// alone, and the working folder is all that is left.
TEST_F(CliTest, TerminationSignalsCancelTheJobAndLeaveNothing) {
    const auto source = save(picture(20, 20), "photo.png");
    const auto engineWorks = [&] {
        return engineRanOnAPicture() && test::anyProcessRuns(engine.executable());
    };
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal);
        fs::remove(engine.argumentsLog());
        test::StartedProgram program(CLARIVEX_BINARY, {"--cli", source.string(), "--target", "x2"},
                                     environment({{"FAKE_ESRGAN_HANG", "1"}}));
        ASSERT_TRUE(test::eventually(engineWorks)) << "the engine never started";
        program.signal(signal);
        const auto run = program.wait();
        EXPECT_EQ(run.exitStatus, 128 + signal);
        EXPECT_TRUE(test::eventually([&] { return !test::anyProcessRuns(engine.executable()); }))
            << "the engine was left running";
        EXPECT_EQ(test::namesIn(photos()), std::vector<std::string>{"photo.png"});
        if (signal == SIGKILL) {
            fs::remove_all(temporary());
            fs::create_directories(temporary());
            continue;
        }
        EXPECT_EQ(run.outLines().back(), "Отменено");
        EXPECT_TRUE(fs::is_empty(temporary()));
    }
}

// An engine that hangs as it starts: the tool report comes after a few seconds without a
// device, the job goes on (and hangs in turn), and Ctrl+C still ends everything.
TEST_F(CliTest, AnEngineThatHangsAtItsStartDoesNotSilenceTheCommandLine) {
    const auto source = save(picture(20, 20), "photo.png");
    test::StartedProgram program(CLARIVEX_BINARY, {"--cli", source.string(), "--target", "x2"},
                                 environment({{"FAKE_ESRGAN_HANG", "start"}}));
    // The job's own engine starts only after the tool report has been printed.
    ASSERT_TRUE(test::eventually([&] { return engineRanOnAPicture(); }))
        << "the command line still waits for the device";
    program.signal(SIGINT);
    const auto run = program.wait();
    EXPECT_EQ(run.exitStatus, 128 + SIGINT);
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0], "ESRGAN: " + engine.executable().string() +
                            " · устройство Vulkan не определено: ESRGAN не ответил за 8 с");
    EXPECT_EQ(lines.back(), "Отменено");
    EXPECT_TRUE(test::eventually([&] { return !test::anyProcessRuns(engine.executable()); }))
        << "the engine was left running";
}

// A device name is what the engine says; it reaches the terminal without control codes, its
// letters whole. An engine that writes hundreds of megabytes without a line feed, on either
// stream, changes nothing.
TEST_F(CliTest, WhatTheEngineSaysIsPrintedSafelyAndKeptBounded) {
    const auto source = save(picture(20, 20), "photo.png");
    // Without ";", which separates the stand-in's devices.
    const std::string name = "\x1B[2J\x1B[H\x1BPowned\x1B\\\x1B[31mВидеокарта\x1B[0m\xC2\x9B"
                             "2J RTX\x07\x08";
    for (const char* flood : {"stderr:200", "stdout:200"}) {
        SCOPED_TRACE(flood);
        const auto run = cli({"--cli", source.string(), "--target", "x2"},
                             {{"FAKE_ESRGAN_DEVICES", name}, {"FAKE_ESRGAN_FLOOD", flood}});
        ASSERT_EQ(run.exitStatus, 0) << run.out;
        const auto lines = run.outLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "ESRGAN: " + engine.executable().string() + " · Видеокарта RTX");
        EXPECT_EQ(run.out.find('\x1B'), std::string::npos);
        fs::remove(photos() / "photo-2x.png");
    }
}

// A device-link profile describes no picture's colours, and libvips fails on it in English:
// the photo is read as sRGB, and the user is told so.
TEST_F(CliTest, APhotoWithAProfileForNoPictureIsReadAsSrgb) {
    const auto source =
        save(test::withProfile(picture(20, 20), test::deviceLinkProfile()), "linked.tif");
    const auto run = cli({"--cli", source.string(), "--target", "x2"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_NE(run.out.find("Апскейл: realesrgan-x4plus, ×4 · профиль ICC не подходит: цвета "
                           "прочитаны как sRGB"),
              std::string::npos)
        << run.out;
}

// Twelve seconds at 5 frames per second: segments of 20 frames, chunks of 48. The second chunk
// never ends, so the run is interrupted with two segments finished.
TEST_F(CliTest, InterruptedVideoIsContinuedByTheSameCommand) {
    if (!test::findProgram("ffmpeg") || !test::findProgram("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const auto calls = folder / "engine-calls";
    engine.countCalls(calls);
    const auto environment = [&](const std::string& hangOnChunk = "") {
        return this->environment({{"CLARIVEX_TEST_HANG_ON_CHUNK", hangOnChunk}});
    };
    const auto source = photos() / "clip.mp4";
    test::makeClip(source, {.frames = 60, .rate = "5", .audioCodec = "aac"});
    const std::vector<std::string> command{"--cli", source.string(), "--target", "x2",
                                           "--no-pictures"};
    const auto result = photos() / "clip-2x.mp4";
    const auto parts = PartFolder::pathFor(source, result);
    struct Case {
        int signal;
        bool keeps;
        std::vector<std::string> lastLines;
    };
    const std::vector<Case> cases{
        {SIGKILL, true, {}},
        {SIGTERM,
         true,
         {"Прервано. Готовые кадры 1–40 из 60 сохранены в " + parts.string() + ".",
          "Чтобы продолжить с этого места, запустите ту же команду снова."}},
        {SIGINT, false, {"Отменено"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        fs::remove(calls);
        test::StartedProgram interrupted(CLARIVEX_BINARY, command, environment("1"));
        ASSERT_TRUE(test::eventually([&] { return test::finishedSegments(parts) >= 2; }));
        ASSERT_EQ(test::finishedSegments(parts), 2u);
        interrupted.signal(c.signal);
        const test::ProgramRun stopped = interrupted.wait();
        EXPECT_EQ(stopped.exitStatus, 128 + c.signal);
        const auto lines = stopped.outLines();
        EXPECT_TRUE(std::equal(c.lastLines.rbegin(), c.lastLines.rend(), lines.rbegin()))
            << stopped.out;
        EXPECT_EQ(fs::exists(parts), c.keeps);
        EXPECT_FALSE(fs::exists(result));

        fs::remove(calls);
        const test::ProgramRun again = runProgram(CLARIVEX_BINARY, command, environment());
        ASSERT_EQ(again.exitStatus, 0) << again.out << again.err;
        const bool continued =
            again.out.find("\n[62%] Апскейл: Продолжаю с кадра 41 из 60\n") != std::string::npos;
        EXPECT_EQ(continued, c.keeps) << again.out;
        EXPECT_EQ(test::framesInLog(calls), c.keeps ? 20 : 60);
        // Frame for frame as an uninterrupted run: the video path's tests compare the pictures.
        const auto facts = test::probeFile(result);
        EXPECT_EQ(facts.frames, 60);
        ASSERT_EQ(facts.audio.size(), 1u);
        EXPECT_TRUE(facts.audio[0].starts_with("aac ")) << facts.audio[0];
        EXPECT_FALSE(fs::exists(parts));
        // The working folder of a run killed outright is gone too.
        EXPECT_TRUE(fs::is_empty(temporary()));
        fs::remove(result);
    }
}

// A memory stick as Linux mounts it (exFAT through FUSE), and the local disk answering as such
// file systems do: a rename cannot refuse to replace and hard links fail; on the stick modes
// stay 0777 too. Results are still placed, never over anything, with nothing hidden left
// beside them; where the stick cannot keep a video's parts private, they go to the user's own
// folder, saying why.
TEST_F(CliTest, PhotoAndVideoAreSavedWhereNoNameCanBeMovedSafely) {
    if (!test::findProgram("ffmpeg") || !test::findProgram("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    test::ScratchMount stick(test::ScratchMount::Kind::exfat, "64M");
    const auto simulated = folder / "simulated";
    fs::create_directories(simulated);
    for (const auto& place : {stick.path(), simulated}) {
        const bool onStick = place == stick.path();
        SCOPED_TRACE(onStick ? "exFAT" : "simulated");
        if (onStick && !stick.mounted()) {
            std::cout << "exFAT left out: " << stick.why() << "\n";
            continue;
        }
        const test::EnvironmentChanges changes =
            onStick ? test::EnvironmentChanges{}
                    : test::EnvironmentChanges{{"LD_PRELOAD", CLARIVEX_NO_RENAME_LINK}};
        const auto photo = place / "q.png";
        picture(40, 30).write_to_file(photo.c_str());
        test::writeFile(place / "q-2x.png", "taken");
        const auto photoRun =
            cli({"--cli", photo.string(), "--target", "x2", "--no-pictures"}, changes);
        ASSERT_EQ(photoRun.exitStatus, 0) << photoRun.out;
        EXPECT_EQ(test::readFile(place / "q-2x.png"), "taken");
        EXPECT_EQ(VImage::new_from_file((place / "q-2x 2.png").c_str()).width(), 80);

        const auto clip = place / "v.mp4";
        test::makeClip(clip, {.frames = 12});
        const auto videoRun =
            cli({"--cli", clip.string(), "--target", "x2", "--no-pictures"}, changes);
        ASSERT_EQ(videoRun.exitStatus, 0) << videoRun.out;
        const bool partsAtHome =
            videoRun.out.find("нельзя закрыть файлы от других пользователей: части видео "
                              "хранятся в " +
                              (home() / ".cache" / "clarivex" / "parts").string()) !=
            std::string::npos;
        EXPECT_EQ(partsAtHome, onStick) << videoRun.out;
        EXPECT_EQ(test::probeFile(place / "v-2x.mp4").frames, 12);
        EXPECT_EQ(test::namesIn(place), (std::vector<std::string>{"q-2x 2.png", "q-2x.png", "q.png",
                                                                  "v-2x.mp4", "v.mp4"}));
    }
}

TEST_F(CliTest, ReadOnlyDestinationIsRefusedBeforeAnyWork) {
    test::ScratchMount disk(test::ScratchMount::Kind::tmpfs, "4M");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const auto photo = disk.path() / "q.png";
    picture(40, 30).write_to_file(photo.c_str());
    disk.makeReadOnly();
    const auto run = cli({"--cli", photo.string(), "--target", "x2"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.outLines().back(), "Ошибка: Результат некуда сохранить: папка " +
                                         disk.path().string() + " только для чтения");
    EXPECT_TRUE(engine.lastArguments().empty() || !engineRanOnAPicture());
}

// The disk of the result fills while the video is made: the sentence says so in the user's
// words, and the same command continues once there is room.
TEST_F(CliTest, FullDiskMidVideoKeepsTheFinishedPart) {
    if (!test::findProgram("ffmpeg") || !test::findProgram("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    test::ScratchMount disk(test::ScratchMount::Kind::tmpfs, "32M");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const auto source = disk.path() / "clip.mp4";
    test::makeClip(source, {.frames = 60, .rate = "5"});
    const auto filler = disk.path() / "filler";
    // The engine's second call fills the disk, once: written until the disk refuses, since the
    // encoder may take some of the room between a look at what is free and a claim of all of it.
    const auto calls = folder / "engine-calls";
    const auto filled = folder / "filled";
    engine.countCalls(calls, "if [ \"$(wc -l < '" + calls.string() + "')\" = 2 ] && [ ! -e '" +
                                 filled.string() + "' ]; then touch '" + filled.string() +
                                 "'; head -c 64M /dev/zero > '" + filler.string() +
                                 "' 2>/dev/null; fi\n");
    const std::vector<std::string> command{"--cli", source.string(), "--target", "x2",
                                           "--no-pictures"};
    const auto full = cli(command);
    EXPECT_EQ(full.exitStatus, 1);
    const std::string sentence =
        "Ошибка: Мало места для результата в папке " + disk.path().string() + ": нужно ~";
    EXPECT_TRUE(full.outLines().back().starts_with(sentence)) << full.out;
    EXPECT_EQ(full.out.find("No space"), std::string::npos) << full.out;
    fs::remove(filler);
    fs::remove(calls);
    const auto again = cli(command);
    ASSERT_EQ(again.exitStatus, 0) << again.out;
    EXPECT_EQ(test::probeFile(disk.path() / "clip-2x.mp4").frames, 60);
}

// Someone who may write into the video's folder swaps the part folder mid-run for a link to a
// folder of the user's, and the engine fails: nothing of that folder is touched, and the run
// keeps what it finished in its own folder.
TEST_F(CliTest, PartFolderSwappedForALinkMidRunTouchesNothingElse) {
    if (!test::findProgram("ffmpeg") || !test::findProgram("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const auto source = photos() / "clip.mp4";
    test::makeClip(source, {.frames = 60, .rate = "5"});
    const auto parts = PartFolder::pathFor(source, photos() / "clip-2x.mp4");
    const auto victim = home() / "Documents";
    test::writeFile(victim / "thesis.odt", "years of work");
    const auto calls = folder / "engine-calls";
    engine.countCalls(calls, "if [ \"$(wc -l < '" + calls.string() + "')\" = 2 ]; then mv '" +
                                 parts.string() + "' '" + (folder / "moved").string() +
                                 "'; ln -s '" + victim.string() + "' '" + parts.string() +
                                 "'; exit 3; fi\n");
    const auto run = cli({"--cli", source.string(), "--target", "x2", "--no-pictures"});
    EXPECT_EQ(run.exitStatus, 1) << run.out;
    EXPECT_EQ(test::namesIn(victim), std::vector<std::string>{"thesis.odt"});
    EXPECT_EQ(test::readFile(victim / "thesis.odt"), "years of work");
    EXPECT_GE(test::finishedSegments(folder / "moved"), 1u);
    EXPECT_FALSE(fs::exists(photos() / "clip-2x.mp4"));
}
