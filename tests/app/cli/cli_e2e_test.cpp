// The command line as the user runs it: the built program on real pictures and clips, with the
// stand-in engine installed in a temporary folder and HOME and TMPDIR pointed at folders of the
// test's own.
#include "support/media_fixture.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

using namespace clarivex;
using test::runProgram;
using vips::VImage;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Waits until `done` holds; false if it never does within a minute, far more than it needs.
bool waitUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// "pid (name) state ppid …" from /proc; the name may hold spaces and parentheses.
std::optional<std::pair<char, pid_t>> stateAndParent(const fs::path& process) {
    std::ifstream stat(process / "stat");
    std::string text;
    if (!std::getline(stat, text))
        return std::nullopt;
    std::istringstream rest(text.substr(text.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    if (!(rest >> state >> parent))
        return std::nullopt;
    return std::make_pair(state, parent);
}

bool alive(pid_t pid) {
    const auto found = stateAndParent("/proc/" + std::to_string(pid));
    return found && found->first != 'Z';
}

std::vector<pid_t> livingChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const auto found = stateAndParent(entry.path());
        if (found && found->second == parent && found->first != 'Z')
            children.push_back(std::stoi(entry.path().filename().string()));
    }
    return children;
}

// A PNG whose header declares `side` × `side` pixels, with almost no data behind it.
std::string bombPng(std::uint32_t side) {
    const auto bigEndian = [](std::uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFF;
        for (const char byte : type + data) {
            crc ^= static_cast<unsigned char>(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data + bigEndian(~crc);
    };
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR", bigEndian(side) + bigEndian(side) + std::string("\x08\x02\0\0\0", 5)) +
           chunk("IDAT", std::string("\x78\x9c\x03\0\0\0\0\x01", 8)) + chunk("IEND", "");
}

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
    fs::path argumentsLog() const { return folder / "engine-arguments"; }

    // The engine's last arguments, one per line; it records them as it starts.
    std::vector<std::string> lastEngineArguments() const {
        std::istringstream log(fs::exists(argumentsLog()) ? test::readFile(argumentsLog()) : "");
        std::vector<std::string> arguments;
        for (std::string line; std::getline(log, line);)
            arguments.push_back(line);
        return arguments;
    }

    // Before each job the engine only names its devices, run on an empty folder.
    bool engineRanOnAPicture() const {
        const auto arguments = lastEngineArguments();
        return arguments.size() > 1 && fs::path(arguments[1]).filename() != "probe-in";
    }

    test::EnvironmentChanges environment(test::EnvironmentChanges changes = {}) const {
        changes.emplace("REALESRGAN_DIR", engine.folder().string());
        changes.emplace("HOME", home().string());
        changes.emplace("TMPDIR", temporary().string());
        changes.emplace("FAKE_ESRGAN_ARGS_FILE", argumentsLog().string());
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

    static std::pair<int, int> sizeOf(const fs::path& file) {
        const VImage image = VImage::new_from_file(file.c_str());
        return {image.width(), image.height()};
    }

    test::TemporaryFolder folder{"clarivex-cli"};
    test::TestEngine engine;
};

} // namespace

TEST_F(CliTest, PhotoToFourKPrintsEveryStepAndCopiesIntoPictures) {
    const auto source = save(picture(1000, 750), "photo.jpg");
    const auto run = cli({"--cli", source.string(), "--target", "4k"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(run.err, "");
    const auto output = photos() / "photo-4k.jpg";
    const auto copy = home() / "Pictures" / "Clarivex" / "photo-4k.jpg";
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], "ESRGAN: " + engine.executable().string() + " · Stand-in GPU");
    EXPECT_TRUE(lines[1].starts_with("ffmpeg: "));
    EXPECT_EQ(lines[2], "[0%] Подготовка: photo.jpg");
    EXPECT_EQ(lines[3], "[2%] Апскейл: realesrgan-x4plus, ×4");
    // The engine's own percentages became progress lines between the two fixed ones.
    EXPECT_NE(std::find(lines.begin() + 4, lines.end() - 5, "[92%] Апскейл: 100%"),
              lines.end() - 5);
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail[0], "[95%] Сохранение: 2880×2160");
    EXPECT_EQ(tail[1], "[99%] Сохранение: Копия в ~/Pictures/Clarivex");
    EXPECT_EQ(tail[2], "[100%] Сохранение: photo-4k.jpg");
    EXPECT_TRUE(
        tail[3].starts_with("Готово: " + output.string() + " · 2880×2160 · realesrgan-x4plus · "));
    EXPECT_TRUE(tail[3].ends_with(" с"));
    EXPECT_EQ(tail[4], "Копия: " + copy.string());
    EXPECT_EQ(sizeOf(output), std::make_pair(2880, 2160));
    EXPECT_EQ(std::string(vips_foreign_find_load(output.c_str())), "VipsForeignLoadJpegFile");
    EXPECT_TRUE(fs::exists(copy));
    // The engine got its twelve arguments, with absolute paths.
    const auto arguments = lastEngineArguments();
    ASSERT_EQ(arguments.size(), 12u);
    const fs::path input = arguments[1];
    EXPECT_EQ(input.filename(), "in.png");
    EXPECT_EQ(input.parent_path().parent_path(), temporary());
    EXPECT_EQ(arguments[3], (input.parent_path() / "up.png").string());
    EXPECT_EQ(std::vector<std::string>(arguments.begin() + 4, arguments.end()),
              (std::vector<std::string>{"-n", "realesrgan-x4plus", "-s", "4", "-m",
                                        engine.models().string(), "-f", "png"}));
}

TEST_F(CliTest, ToolReportNamesTheDeviceAndTheEngineIsToldToPreferTheCard) {
    const auto source = save(picture(20, 20), "photo.png");
    const std::string llvmpipe = "llvmpipe (LLVM 15.0.6, 256 bits)";
    struct Case {
        test::EnvironmentChanges environment;
        std::string device;
        bool gpuArgument;
    };
    const std::vector<Case> cases{
        {{{"FAKE_ESRGAN_DEVICES", "NVIDIA GeForce RTX 3060"}}, "NVIDIA GeForce RTX 3060", false},
        {{{"FAKE_ESRGAN_DEVICES", llvmpipe}},
         llvmpipe + " — программный Vulkan: нейросеть считает на процессоре",
         false},
        {{{"FAKE_ESRGAN_DEVICES", llvmpipe + ";AMD Radeon RX 6800"}}, "AMD Radeon RX 6800", true},
        {{{"FAKE_ESRGAN_FAIL", "1"}}, "устройство Vulkan не определено", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        const auto run = cli({"--cli", source.string(), "--target", "x2"}, c.environment);
        const std::string line = run.outLines().at(0);
        EXPECT_TRUE(line.starts_with("ESRGAN: " + engine.executable().string() + " · " + c.device))
            << line;
        EXPECT_EQ(line.find("sudo apt install mesa-vulkan-drivers") != std::string::npos,
                  c.device.starts_with("llvmpipe"));
        const auto arguments = lastEngineArguments();
        EXPECT_EQ(std::find(arguments.begin(), arguments.end(), "-g") != arguments.end(),
                  c.gpuArgument);
        for (const auto& entry : fs::directory_iterator(photos()))
            if (entry.path() != source)
                fs::remove(entry.path());
    }
}

TEST_F(CliTest, AutoRunsTheBestInstalledModelAndSaysWhich) {
    engine.removeModel("realesrgan-x4plus");
    const auto source = save(picture(20, 20), "photo.png");
    auto run =
        cli({"--cli", source.string(), "--target", "x2", "--model", "auto", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_NE(run.out.find("[2%] Апскейл: realesrgan-x4plus-anime, ×4 (нет realesrgan-x4plus)\n"),
              std::string::npos);
    EXPECT_NE(run.outLines().back().find(" · realesrgan-x4plus-anime (нет realesrgan-x4plus) · "),
              std::string::npos);
    run = cli({"--cli", source.string(), "--target", "x2", "--model", "photo"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(
        run.outLines().back().starts_with("Ошибка: Модель realesrgan-x4plus не установлена"));
}

TEST_F(CliTest, EveryStillFormatTargetAndOrientation) {
    struct Case {
        const char* source;
        int width, height;
        int orientation;
        const char* target;
        const char* model;
        const char* output;
        int outputWidth, outputHeight;
    };
    const std::vector<Case> cases{
        {"a.png", 40, 30, 1, "x2", "photo", "a-2x.png", 80, 60},
        {"b.webp", 40, 30, 1, "x4", "art", "b-4x.png", 160, 120},
        {"c.tif", 30, 40, 1, "1080p", "auto", "c-1080p.png", 1080, 1440},
        {"d.bmp", 50, 50, 1, "4k", "photo", "d-4k.png", 2160, 2160},
        {"e.gif", 40, 30, 1, "x2", "video", "e-2x.png", 80, 60},
        {"f.heic", 64, 48, 1, "x2", "auto", "f-2x.jpg", 128, 96},
        {"g.JPEG", 853, 480, 1, "1080p", "auto", "g-1080p.jpg", 1919, 1080},
        // Stored 40×20 with "turn to view": upright 20×40, fitted into the portrait box.
        {"h.jpg", 40, 20, 6, "1080p", "auto", "h-1080p.jpg", 960, 1920},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        VImage image = picture(c.width, c.height).copy();
        image.set("orientation", c.orientation);
        const auto source = save(image, c.source);
        const auto run = cli(
            {"--cli", source.string(), "--target", c.target, "--model", c.model, "--no-pictures"});
        ASSERT_EQ(run.exitStatus, 0) << run.out;
        EXPECT_EQ(sizeOf(photos() / c.output), std::make_pair(c.outputWidth, c.outputHeight));
        EXPECT_EQ(run.out.find("Копия: "), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(home() / "Pictures"));
}

TEST_F(CliTest, RefusalsHappenBeforeTheEngineRuns) {
    const auto large = save(picture(1920, 1080), "large.png");
    auto run = cli({"--cli", large.string(), "--target", "1080p"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.outLines().back(),
              "Ошибка: Файл уже 1920×1080 — это не меньше 1080p. Нейросеть тут ничего не "
              "добавит, только испортит детали. Выберите больший размер или файл меньшего "
              "разрешения.");

    // A missing model would make the real engine write a blank picture and report success.
    fs::remove(engine.models() / "realesrgan-x4plus-anime.bin");
    const auto small = save(picture(20, 20), "small.png");
    run = cli({"--cli", small.string(), "--model", "art"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.outLines().back().rfind(
                  "Ошибка: Модель realesrgan-x4plus-anime не установлена: в "
                  "папке " +
                      engine.models().string() + " нет realesrgan-x4plus-anime.bin. Добавить: ",
                  0),
              0u);
    EXPECT_FALSE(engineRanOnAPicture());
    EXPECT_EQ(namesIn(photos()).size(), 2u);

    run = runProgram(CLARIVEX_BINARY, {"--cli", small.string()},
                     environment({{"REALESRGAN_DIR", std::nullopt}}));
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out,
              "Ошибка: Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)\n");
}

TEST_F(CliTest, EngineFailuresLeaveNothingNextToTheSource) {
    const auto source = save(picture(20, 20), "photo.png");
    const std::vector<std::pair<test::EnvironmentChanges, std::string>> cases{
        {{{"FAKE_ESRGAN_FAIL", "3"}, {"FAKE_ESRGAN_ERROR", "vkCreateInstance failed\nno GPU"}},
         "Ошибка: realesrgan-ncnn-vulkan завершился с кодом 3\nvkCreateInstance failed\nno GPU\n"},
        {{{"FAKE_ESRGAN_SKIP", "in.png"}}, "Ошибка: ESRGAN не создал результат\n"},
        {{{"FAKE_ESRGAN_GARBAGE", "1"}}, "Ошибка: ESRGAN не создал результат\n"},
        // Stretched to the target, a wrong size would pass for a result.
        {{{"FAKE_ESRGAN_SIZE", "7x5"}}, "Ошибка: ESRGAN вернул картинку 7×5 вместо 80×80\n"},
    };
    for (const auto& [changes, error] : cases) {
        const auto run = cli({"--cli", source.string(), "--target", "x2"}, changes);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out.substr(run.out.find("Ошибка: ")), error);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(namesIn(photos()), std::vector<std::string>{"photo.png"});
    }
}

TEST_F(CliTest, TakenNamesAreNumberedNeverReplaced) {
    const auto source = save(picture(20, 20), "photo.jpg");
    const auto pictures = home() / "Pictures" / "Clarivex";
    test::writeFile(photos() / "photo-4x.jpg", "keep me");
    test::writeFile(pictures / "photo-4x.jpg", "and me");
    test::writeFile(pictures / "photo-4x 2.jpg", "and me too");
    const auto run = cli({"--cli", source.string(), "--target", "x4"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    const auto lines = run.outLines();
    EXPECT_TRUE(lines[lines.size() - 2].starts_with(
        "Готово: " + (photos() / "photo-4x 2.jpg").string() + " · 80×80"));
    EXPECT_EQ(lines.back(), "Копия: " + (pictures / "photo-4x 2 2.jpg").string());
    EXPECT_EQ(test::readFile(photos() / "photo-4x.jpg"), "keep me");
}

TEST_F(CliTest, UnusablePicturesFolderDoesNotFailTheJobButSaysWhy) {
    // A file where the Pictures folder should be: even root cannot create the folder.
    test::writeFile(home() / "Pictures", "in the way");
    const auto source = save(picture(20, 20), "photo.png");
    const auto run = cli({"--cli", source.string(), "--target", "x2"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "[99%] Сохранение: Копия в ~/Pictures/Clarivex");
    EXPECT_EQ(lines[lines.size() - 3], "[100%] Сохранение: photo-2x.png");
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("Готово: "));
    // The system's reason follows the place that could not be made.
    const std::string copyLine = "Копия не сделана: Не удалось создать папку " +
                                 (home() / "Pictures" / "Clarivex").string() + ": ";
    EXPECT_TRUE(lines.back().starts_with(copyLine)) << lines.back();
    EXPECT_GT(lines.back().size(), copyLine.size());
}

TEST_F(CliTest, NamesPastTheFileSystemLimitAreShortenedNeverSpin) {
    std::string cyrillic;
    for (int letter = 0; letter < 125; ++letter)
        cyrillic += "я";
    // Each source's name fits; its output name, with suffix and number, would not.
    for (const std::string& stem : {std::string(249, 'a'), std::string(251, 'b'), cyrillic}) {
        const auto source = save(picture(8, 8), stem + ".png");
        for (int round = 0; round < 2; ++round)
            ASSERT_EQ(cli({"--cli", source.string(), "--target", "x2"}).exitStatus, 0);
    }
    // Two results of each source next to it, each with its copy, and no hidden part file.
    for (const auto& results : {photos(), home() / "Pictures" / "Clarivex"}) {
        const auto names = namesIn(results);
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [](const std::string& name) {
                                    return name.size() <= 255 && name.find("-2x") != name.npos;
                                }),
                  6);
        EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                                 [](const std::string& name) { return name.front() == '.'; }));
    }
}

TEST_F(CliTest, WhatIsNoFileToEnlargeIsNamedAsSuch) {
    fs::create_symlink("/dev/zero", photos() / "zero.png");
    ASSERT_EQ(::mkfifo((photos() / "pipe.png").c_str(), 0644), 0);
    test::writeFile(photos() / "README", "text");
    test::writeFile(photos() / "a.xyz", "text");
    test::writeFile(photos() / "fake.png", "not a picture");
    const auto path = [&](const char* name) { return (photos() / name).string(); };
    const std::vector<std::pair<std::string, std::string>> cases{
        {path("missing.png"), "Файл не найден: " + path("missing.png")},
        {photos().string(), "Это папка, а не файл: " + photos().string()},
        {path("zero.png"), "Это не обычный файл: " + path("zero.png")},
        {path("pipe.png"), "Это не обычный файл: " + path("pipe.png")},
        {"", "Не указан файл"},
        {path("README"), "Формат не поддерживается: у файла нет расширения"},
        {path("a.xyz"), "Формат не поддерживается: xyz"},
        {path("fake.png"), "Формат не поддерживается: не удалось прочитать картинку"},
    };
    for (const auto& [argument, error] : cases) {
        const auto run = cli({"--cli", argument});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.outLines().back(), "Ошибка: " + error);
    }
    EXPECT_FALSE(engineRanOnAPicture());

    // A platform error is a Russian sentence that names the place, then the system's reason.
    const auto source = save(picture(8, 8), "photo.png");
    const auto gone = folder / "gone";
    const auto run = cli({"--cli", source.string()}, {{"TMPDIR", gone.string()}});
    const std::string sentence =
        "Ошибка: Не удалось открыть временную папку " + gone.string() + ": ";
    EXPECT_TRUE(run.outLines().back().starts_with(sentence)) << run.out;
    EXPECT_GT(run.outLines().back().size(), sentence.size());
}

TEST_F(CliTest, DecompressionBombIsRefusedFromItsHeader) {
    const auto bomb = photos() / "bomb.png";
    test::writeFile(bomb, bombPng(60000));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"x2", "Ошибка: Картинка 60000×60000 слишком большая: нейросеть выдала бы 240000×240000 "
               "пикселей, а в память помещается не больше 400 мегапикселей."},
        {"4k", "Ошибка: Файл уже 60000×60000 — это не меньше 4K."},
    };
    for (const auto& [target, error] : cases) {
        // Under a limit far below what decoding would take, so that a decode attempt fails
        // differently instead of taking the machine's memory.
        const auto run = runProgram("/bin/sh",
                                    {"-c", "ulimit -v 4000000 && exec \"$0\" \"$@\"",
                                     CLARIVEX_BINARY, "--cli", bomb.string(), "--target", target},
                                    environment());
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(run.outLines().back().starts_with(error)) << run.out;
    }
    EXPECT_FALSE(engineRanOnAPicture());
}

TEST_F(CliTest, TerminationSignalsCancelTheJobAndLeaveNothing) {
    const auto source = save(picture(20, 20), "photo.png");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        test::StartedProgram program(CLARIVEX_BINARY, {"--cli", source.string(), "--target", "x2"},
                                     environment({{"FAKE_ESRGAN_HANG", "1"}}));
        std::vector<pid_t> engines;
        ASSERT_TRUE(waitUntil([&] { return !(engines = livingChildrenOf(program.id())).empty(); }))
            << "the engine never started";
        program.signal(signal);
        const auto run = program.wait();
        EXPECT_EQ(run.exitStatus, 128 + signal);
        EXPECT_EQ(run.outLines().back(), "Отменено");
        for (const pid_t pid : engines)
            EXPECT_FALSE(alive(pid)) << "the engine was not reaped before the end";
        EXPECT_TRUE(fs::is_empty(temporary()));
        EXPECT_EQ(namesIn(photos()), std::vector<std::string>{"photo.png"});
    }
}

// SIGKILL leaves no chance to clean up; the engine must still not run on alone. The engine
// here only sleeps: one that prints would die of a broken pipe anyway.
TEST_F(CliTest, EngineDoesNotOutliveAProgramKilledOutright) {
    const auto source = save(picture(32, 24), "photo.png");
    const auto sleeper = folder / "sleeping-engine";
    fs::create_directories(sleeper);
    fs::create_directory_symlink(engine.models(), sleeper / "models");
    test::writeExecutable(sleeper / "realesrgan-ncnn-vulkan", "#!/bin/sh\nexec sleep 300\n");
    test::StartedProgram program(CLARIVEX_BINARY,
                                 {"--cli", source.string(), "--target", "x2", "--no-pictures"},
                                 environment({{"REALESRGAN_DIR", sleeper.string()}}));
    std::vector<pid_t> engines;
    EXPECT_TRUE(waitUntil([&] { return !(engines = livingChildrenOf(program.id())).empty(); }));
    program.signal(SIGKILL);
    program.wait();
    for (const pid_t pid : engines) {
        EXPECT_TRUE(waitUntil([pid] { return !alive(pid); })) << "the engine outlived us";
        ::kill(pid, SIGKILL);
    }
    // Killed outright, it could not remove its working folder; that is all it leaves.
    fs::remove_all(temporary());
    fs::create_directories(temporary());
}

// One clip each way through the command line; what the video path does with sound and loops
// is tested on the path itself.
TEST_F(CliTest, VideoWithItsSoundOrAsASilentLoop) {
    if (!test::findProgram("ffmpeg") || !test::findProgram("ffprobe"))
        GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const auto source = photos() / "clip.mp4";
    test::makeClip(source, test::ClipSpec{.frames = 30, .audioCodec = "aac"});
    auto run = cli({"--cli", source.string(), "--target", "x2", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\n[97%] Сборка видео: Звук\n"), std::string::npos) << run.out;
    EXPECT_EQ(test::probeFile(photos() / "clip-2x.mp4").audioCodec, "aac");
    run = cli({"--cli", source.string(), "--target", "x2", "--loop", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_TRUE(run.outLines().back().starts_with(
        "Готово: " + (photos() / "clip-2x-loop.mp4").string() + " · 128×96"));
    EXPECT_TRUE(test::probeFile(photos() / "clip-2x-loop.mp4").audioCodec.empty());
}
