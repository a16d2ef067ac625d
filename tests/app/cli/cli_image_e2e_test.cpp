// The command line on real pictures, with the stand-in engine installed in a temporary
// folder and HOME and TMPDIR pointed at folders of the test's own.
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

namespace {

class CliImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VIPS_INIT("cli-image-test"); }

    void SetUp() override {
        std::filesystem::create_directories(home());
        std::filesystem::create_directories(temporary());
    }

    void TearDown() override {
        // Whatever happened, the run left no working folder behind.
        EXPECT_TRUE(std::filesystem::is_empty(temporary()));
    }

    std::filesystem::path home() const { return folder / "home"; }
    std::filesystem::path temporary() const { return folder / "tmp"; }
    std::filesystem::path argumentsLog() const { return folder / "engine-arguments"; }

    // The engine's last arguments, one per line; it records them as it starts.
    std::vector<std::string> lastEngineArguments() const {
        std::ifstream log(argumentsLog());
        std::vector<std::string> arguments;
        for (std::string line; std::getline(log, line);)
            arguments.push_back(line);
        return arguments;
    }

    // Before each job the engine only names its devices, run on an empty folder.
    bool engineRanOnAPicture() const {
        const auto arguments = lastEngineArguments();
        return arguments.size() > 1 && std::filesystem::path(arguments[1]).filename() != "probe-in";
    }

    test::ProgramRun cli(const std::vector<std::string>& arguments,
                         std::map<std::string, std::optional<std::string>> environment = {}) {
        environment.emplace("REALESRGAN_DIR", engine.folder().string());
        environment.emplace("HOME", home().string());
        environment.emplace("TMPDIR", temporary().string());
        environment.emplace("FAKE_ESRGAN_ARGS_FILE", argumentsLog().string());
        return runProgram(CLARIVEX_BINARY, arguments, environment);
    }

    // Noise, so that every format really has to store pixels.
    static VImage picture(int width, int height) {
        return VImage::gaussnoise(width, height, VImage::option()->set("mean", 128.0))
            .bandjoin({VImage::gaussnoise(width, height), VImage::gaussnoise(width, height)})
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }

    std::filesystem::path save(const VImage& image, const std::string& name) const {
        const auto file = folder / "photos" / name;
        std::filesystem::create_directories(file.parent_path());
        image.write_to_file(file.c_str());
        return file;
    }

    static std::pair<int, int> sizeOf(const std::filesystem::path& file) {
        const VImage image = VImage::new_from_file(file.c_str());
        return {image.width(), image.height()};
    }

    test::TemporaryFolder folder{"clarivex-cli"};
    test::TestEngine engine;
};

} // namespace

TEST_F(CliImageTest, PhotoToFourKPrintsEveryStepAndCopiesIntoPictures) {
    const auto source = save(picture(1000, 750), "photo.jpg");
    const auto run = cli({"--cli", source.string(), "--target", "4k"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(run.err, "");
    const auto output = folder / "photos" / "photo-4k.jpg";
    const auto copy = home() / "Pictures" / "Clarivex" / "photo-4k.jpg";
    auto lines = run.outLines();
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], "ESRGAN: " + engine.executable().string() + " · Stand-in GPU");
    EXPECT_EQ(lines[1].rfind("ffmpeg: ", 0), 0u);
    EXPECT_EQ(lines[2], "[0%] Подготовка: photo.jpg");
    EXPECT_EQ(lines[3], "[2%] Апскейл: realesrgan-x4plus, ×4");
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail[0], "[95%] Сохранение: 2880×2160");
    EXPECT_EQ(tail[1], "[99%] Сохранение: Копия в ~/Pictures/Clarivex");
    EXPECT_EQ(tail[2], "[100%] Сохранение: photo-4k.jpg");
    EXPECT_EQ(
        tail[3].rfind("Готово: " + output.string() + " · 2880×2160 · realesrgan-x4plus · ", 0), 0u);
    EXPECT_EQ(tail[3].substr(tail[3].size() - 3), " с");
    EXPECT_EQ(tail[4], "Копия: " + copy.string());
    // The engine's own percentages became progress lines between the two fixed ones.
    EXPECT_TRUE(std::any_of(lines.begin() + 4, lines.end() - 5,
                            [](const std::string& line) { return line == "[92%] Апскейл: 100%"; }));
    EXPECT_EQ(sizeOf(output), std::make_pair(2880, 2160));
    EXPECT_EQ(std::string(vips_foreign_find_load(output.c_str())), "VipsForeignLoadJpegFile");
    EXPECT_TRUE(std::filesystem::exists(copy));
    // The engine got its twelve arguments, with absolute paths.
    const auto arguments = lastEngineArguments();
    ASSERT_EQ(arguments.size(), 12u);
    EXPECT_EQ(arguments[0], "-i");
    EXPECT_EQ(std::filesystem::path(arguments[1]).filename(), "in.png");
    EXPECT_EQ(std::filesystem::path(arguments[1]).parent_path().parent_path(), temporary());
    EXPECT_EQ(arguments[4], "-n");
    EXPECT_EQ(arguments[5], "realesrgan-x4plus");
    EXPECT_EQ(arguments[7], "4");
    EXPECT_EQ(arguments[9], engine.models().string());
    EXPECT_EQ(arguments[11], "png");
}

TEST_F(CliImageTest, ToolReportNamesTheDeviceAndTheEngineIsToldToPreferTheCard) {
    const auto source = save(picture(20, 20), "photo.png");
    const std::string llvmpipe = "llvmpipe (LLVM 15.0.6, 256 bits)";
    struct Case {
        std::map<std::string, std::optional<std::string>> environment;
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
        EXPECT_EQ(line.rfind("ESRGAN: " + engine.executable().string() + " · " + c.device, 0), 0u)
            << line;
        EXPECT_EQ(line.find("sudo apt install mesa-vulkan-drivers") != std::string::npos,
                  c.device.starts_with("llvmpipe"));
        const auto arguments = lastEngineArguments();
        EXPECT_EQ(std::find(arguments.begin(), arguments.end(), "-g") != arguments.end(),
                  c.gpuArgument);
    }
}

TEST_F(CliImageTest, AutoRunsTheBestInstalledModelAndSaysWhich) {
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
    EXPECT_EQ(run.outLines().back().rfind("Ошибка: Модель realesrgan-x4plus не установлена", 0),
              0u);
}

TEST_F(CliImageTest, EveryStillFormatAndTarget) {
    struct Case {
        const char* source;
        int width, height;
        const char* target;
        const char* model;
        const char* output;
        int outputWidth, outputHeight;
    };
    const std::vector<Case> cases{
        {"a.png", 40, 30, "x2", "photo", "a-2x.png", 80, 60},
        {"b.webp", 40, 30, "x4", "art", "b-4x.png", 160, 120},
        {"c.tif", 30, 40, "1080p", "auto", "c-1080p.png", 1080, 1440},
        {"d.bmp", 50, 50, "4k", "photo", "d-4k.png", 2160, 2160},
        {"e.gif", 40, 30, "x2", "video", "e-2x.png", 80, 60},
        {"f.heic", 64, 48, "x2", "auto", "f-2x.jpg", 128, 96},
        {"g.JPEG", 853, 480, "1080p", "auto", "g-1080p.jpg", 1919, 1080},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const auto source = save(picture(c.width, c.height), c.source);
        const auto run = cli(
            {"--cli", source.string(), "--target", c.target, "--model", c.model, "--no-pictures"});
        ASSERT_EQ(run.exitStatus, 0) << run.out;
        const auto output = folder / "photos" / c.output;
        EXPECT_EQ(sizeOf(output), std::make_pair(c.outputWidth, c.outputHeight));
        EXPECT_EQ(run.out.find("Копия: "), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(home() / "Pictures"));
}

TEST_F(CliImageTest, RotatedPortraitIsPlannedAndWrittenUpright) {
    VImage stored = picture(40, 20).copy();
    stored.set("orientation", 6);
    const auto source = folder / "photos" / "portrait.jpg";
    std::filesystem::create_directories(source.parent_path());
    stored.jpegsave(source.c_str());
    const auto run = cli({"--cli", source.string(), "--target", "1080p", "--no-pictures"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    // Upright 20×40, fitted into the portrait box 1080×1920.
    EXPECT_EQ(sizeOf(folder / "photos" / "portrait-1080p.jpg"), std::make_pair(960, 1920));
    EXPECT_NE(run.out.find(" · 960×1920 · "), std::string::npos);
}

TEST_F(CliImageTest, RefusalsHappenBeforeTheEngineRuns) {
    const auto large = save(picture(1920, 1080), "large.png");
    auto run = cli({"--cli", large.string(), "--target", "1080p"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.outLines().back(),
              "Ошибка: Файл уже 1920×1080 — это не меньше 1080p. Нейросеть тут ничего не "
              "добавит, только испортит детали. Выберите больший размер или файл меньшего "
              "разрешения.");
    EXPECT_FALSE(engineRanOnAPicture());

    // A missing model would make the real engine write a blank picture and report success.
    std::filesystem::remove(engine.models() / "realesrgan-x4plus-anime.bin");
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "photos"), {}), 2);
}

TEST_F(CliImageTest, EngineFailuresLeaveNothingNextToTheSource) {
    const auto source = save(picture(20, 20), "photo.png");
    struct Case {
        std::map<std::string, std::optional<std::string>> environment;
        std::string error;
    };
    const std::vector<Case> cases{
        {{{"FAKE_ESRGAN_FAIL", "3"}, {"FAKE_ESRGAN_ERROR", "vkCreateInstance failed\nno GPU"}},
         "Ошибка: realesrgan-ncnn-vulkan завершился с кодом 3\nvkCreateInstance failed\nno GPU\n"},
        {{{"FAKE_ESRGAN_SKIP", "in.png"}}, "Ошибка: ESRGAN не создал результат\n"},
        {{{"FAKE_ESRGAN_GARBAGE", "1"}}, "Ошибка: ESRGAN не создал результат\n"},
        // Stretched to the target, a wrong size would pass for a result.
        {{{"FAKE_ESRGAN_SIZE", "7x5"}}, "Ошибка: ESRGAN вернул картинку 7×5 вместо 80×80\n"},
    };
    for (const auto& c : cases) {
        const auto run = cli({"--cli", source.string(), "--target", "x2"}, c.environment);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out.substr(run.out.find("Ошибка: ")), c.error);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "photos"), {}), 1);
    }
}

TEST_F(CliImageTest, TakenNamesAreNumberedNeverReplaced) {
    const auto source = save(picture(20, 20), "photo.jpg");
    { std::ofstream(folder / "photos" / "photo-4x.jpg") << "keep me"; }
    std::filesystem::create_directories(home() / "Pictures" / "Clarivex");
    std::ofstream(home() / "Pictures" / "Clarivex" / "photo-4x 2.jpg") << "keep me too";
    std::ofstream(home() / "Pictures" / "Clarivex" / "photo-4x.jpg") << "and me";

    const auto run = cli({"--cli", source.string(), "--target", "x4"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    const auto lines = run.outLines();
    EXPECT_EQ(lines[lines.size() - 2].rfind(
                  "Готово: " + (folder / "photos" / "photo-4x 2.jpg").string() + " · 80×80", 0),
              0u);
    EXPECT_EQ(lines.back(),
              "Копия: " + (home() / "Pictures" / "Clarivex" / "photo-4x 2 2.jpg").string());
    std::ifstream kept(folder / "photos" / "photo-4x.jpg");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
}

TEST_F(CliImageTest, UnusablePicturesFolderDoesNotFailTheJobButSaysWhy) {
    // A file where the Pictures folder should be: even root cannot create the folder.
    std::ofstream(home() / "Pictures") << "in the way";
    const auto source = save(picture(20, 20), "photo.png");
    const auto run = cli({"--cli", source.string(), "--target", "x2"});
    ASSERT_EQ(run.exitStatus, 0) << run.out;
    const auto lines = run.outLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "[99%] Сохранение: Копия в ~/Pictures/Clarivex");
    EXPECT_EQ(lines[lines.size() - 3], "[100%] Сохранение: photo-2x.png");
    EXPECT_EQ(lines[lines.size() - 2].rfind("Готово: ", 0), 0u);
    // The system's reason follows the place that could not be made.
    const std::string copyLine = "Копия не сделана: Не удалось создать папку " +
                                 (home() / "Pictures" / "Clarivex").string() + ": ";
    EXPECT_EQ(lines.back().rfind(copyLine, 0), 0u) << lines.back();
    EXPECT_GT(lines.back().size(), copyLine.size());
}

TEST_F(CliImageTest, MissingEngineIsTheOnlyLine) {
    const auto source = save(picture(20, 20), "photo.png");
    const auto run = runProgram(CLARIVEX_BINARY, {"--cli", source.string()},
                                {{"REALESRGAN_DIR", std::nullopt},
                                 {"HOME", home().string()},
                                 {"TMPDIR", temporary().string()}});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out,
              "Ошибка: Не найден Real-ESRGAN (ни в приложении, ни в ~/.local/opt/realesrgan)\n");
}

namespace {

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Whether any process still runs with `text` in its command line.
bool processMentions(const std::string& text) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        const std::string commandLine((std::istreambuf_iterator<char>(file)), {});
        if (commandLine.find(text) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

TEST_F(CliImageTest, NamesPastTheFileSystemLimitAreShortenedNeverSpin) {
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
    for (const auto& results : {folder / "photos", home() / "Pictures" / "Clarivex"}) {
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

TEST_F(CliImageTest, TerminationSignalsCancelTheJobAndLeaveNothing) {
    const auto source = save(picture(20, 20), "photo.png");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(argumentsLog());
        test::StartedProgram program(CLARIVEX_BINARY, {"--cli", source.string(), "--target", "x2"},
                                     {{"REALESRGAN_DIR", engine.folder().string()},
                                      {"HOME", home().string()},
                                      {"TMPDIR", temporary().string()},
                                      {"FAKE_ESRGAN_ARGS_FILE", argumentsLog().string()},
                                      {"FAKE_ESRGAN_HANG", "1"}});
        // The stand-in writes its arguments as it starts, then hangs until terminated.
        for (int wait = 0; wait < 3000 && !engineRanOnAPicture(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(engineRanOnAPicture()) << "the engine never started";
        program.signal(signal);
        const auto run = program.wait();
        EXPECT_EQ(run.exitStatus, 128 + signal);
        EXPECT_EQ(run.outLines().back(), "Отменено");
        EXPECT_TRUE(std::filesystem::is_empty(temporary()));
        EXPECT_FALSE(processMentions(engine.folder().string()));
        EXPECT_EQ(namesIn(folder / "photos"), std::vector<std::string>{"photo.png"});
    }
}

TEST_F(CliImageTest, WhatIsNoFileToEnlargeIsNamedAsSuch) {
    const auto photos = folder / "photos";
    std::filesystem::create_directories(photos);
    std::filesystem::create_symlink("/dev/zero", photos / "zero.png");
    ASSERT_EQ(::mkfifo((photos / "pipe.png").c_str(), 0644), 0);
    std::ofstream(photos / "README") << "text";
    std::ofstream(photos / "a.xyz") << "text";
    std::ofstream(photos / "fake.png") << "not a picture";
    struct Case {
        std::string argument;
        std::string error;
    };
    const std::vector<Case> cases{
        {(photos / "missing.png").string(), "Файл не найден: " + (photos / "missing.png").string()},
        {photos.string(), "Это папка, а не файл: " + photos.string()},
        {(photos / "zero.png").string(), "Это не обычный файл: " + (photos / "zero.png").string()},
        {(photos / "pipe.png").string(), "Это не обычный файл: " + (photos / "pipe.png").string()},
        {"", "Не указан файл"},
        {(photos / "README").string(), "Формат не поддерживается: у файла нет расширения"},
        {(photos / "a.xyz").string(), "Формат не поддерживается: xyz"},
        {(photos / "fake.png").string(), "Формат не поддерживается: не удалось прочитать картинку"},
    };
    for (const auto& c : cases) {
        const auto run = cli({"--cli", c.argument});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.outLines().back(), "Ошибка: " + c.error);
    }
    EXPECT_FALSE(engineRanOnAPicture());

    // A platform error is a Russian sentence that names the place, then the system's reason.
    const auto source = save(picture(8, 8), "photo.png");
    const auto gone = folder / "gone";
    const auto run = cli({"--cli", source.string()}, {{"TMPDIR", gone.string()}});
    const std::string sentence =
        "Ошибка: Не удалось открыть временную папку " + gone.string() + ": ";
    EXPECT_EQ(run.outLines().back().rfind(sentence, 0), 0u) << run.out;
    EXPECT_GT(run.outLines().back().size(), sentence.size());
}

namespace {

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

} // namespace

TEST_F(CliImageTest, DecompressionBombIsRefusedFromItsHeader) {
    const auto bomb = folder / "photos" / "bomb.png";
    test::writeFile(bomb, bombPng(60000));
    // Under a limit far below what decoding would take, so that a decode attempt fails
    // differently instead of taking the machine's memory.
    const auto limited = [&](const std::string& target) {
        return runProgram("/bin/sh",
                          {"-c", "ulimit -v 4000000 && exec \"$0\" \"$@\"", CLARIVEX_BINARY,
                           "--cli", bomb.string(), "--target", target},
                          {{"REALESRGAN_DIR", engine.folder().string()},
                           {"HOME", home().string()},
                           {"TMPDIR", temporary().string()},
                           {"FAKE_ESRGAN_ARGS_FILE", argumentsLog().string()}});
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"x2", "Ошибка: Картинка 60000×60000 слишком большая: нейросеть выдала бы 240000×240000 "
               "пикселей, а в память помещается не больше 400 мегапикселей."},
        {"4k", "Ошибка: Файл уже 60000×60000 — это не меньше 4K."},
    };
    for (const auto& [target, error] : cases) {
        const auto run = limited(target);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.outLines().back().rfind(error, 0), 0u) << run.out;
    }
    EXPECT_FALSE(engineRanOnAPicture());
}

namespace {

// The children of `parent` that are still alive (zombies count as gone).
std::vector<pid_t> livingChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        if (!std::getline(stat, text))
            continue;
        // "pid (name) state ppid …"; the name may hold spaces and parentheses.
        std::istringstream rest(text.substr(text.rfind(')') + 1));
        char state = 0;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent && state != 'Z')
            children.push_back(std::stoi(entry.path().filename().string()));
    }
    return children;
}

bool alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return false;
    return text.substr(text.rfind(')') + 2, 1) != "Z";
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

} // namespace

// SIGKILL leaves no chance to clean up; the engine must still not run on alone. The engine
// here only sleeps: one that prints would die of a broken pipe anyway.
TEST_F(CliImageTest, EngineDoesNotOutliveAProgramKilledOutright) {
    const auto source = save(picture(32, 24), "photo.png");
    const auto sleeper = folder / "sleeping-engine";
    const auto started = folder / "engine-started";
    std::filesystem::create_directories(sleeper);
    std::filesystem::create_directory_symlink(engine.models(), sleeper / "models");
    {
        std::ofstream script(sleeper / "realesrgan-ncnn-vulkan");
        script << "#!/bin/sh\necho > '" << started.string() << "'\nexec sleep 300\n";
    }
    std::filesystem::permissions(sleeper / "realesrgan-ncnn-vulkan",
                                 std::filesystem::perms::owner_all);
    test::StartedProgram program(CLARIVEX_BINARY,
                                 {"--cli", source.string(), "--target", "x2", "--no-pictures"},
                                 {{"REALESRGAN_DIR", sleeper.string()},
                                  {"HOME", home().string()},
                                  {"TMPDIR", temporary().string()}});
    std::vector<pid_t> engines;
    EXPECT_TRUE(waitUntil([&] {
        return std::filesystem::exists(started) &&
               !(engines = livingChildrenOf(program.id())).empty();
    }));
    program.signal(SIGKILL);
    program.wait();
    for (const pid_t pid : engines) {
        EXPECT_TRUE(waitUntil([pid] { return !alive(pid); })) << "the engine outlived us";
        ::kill(pid, SIGKILL);
    }
    // Killed outright, it could not remove its working folder; that is all it leaves.
    std::filesystem::remove_all(temporary());
    std::filesystem::create_directories(temporary());
}
