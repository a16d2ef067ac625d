// Animated pictures through the built command line with the stand-in engine, whose
// nearest-neighbour enlargement keeps the middle of a flat area its exact colour: the result's
// frames are decoded by ffmpeg and compared by pixels, their delays read back by ffprobe.
#include "support/child_processes.h"
#include "support/gif_bytes.h"
#include "support/media_fixture.h"
#include "support/program_run.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>
#include <vips/vips8>

#include <csignal>
#include <sstream>

using namespace clarivex;
using test::fullFrame;
using test::GifSpec;
using vips::VImage;
namespace fs = std::filesystem;

namespace {

using Pixel = std::vector<double>;
const Pixel red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, clear{0, 0, 0, 0};

struct Animated {
    std::vector<VImage> frames;
    std::vector<double> seconds;
    // The animation chunk's play count (0: endless); -1 for a still PNG.
    int plays = -1;

    // What a viewer shows of source pixel (x, y) in `frame` at ×2.
    Pixel shown(std::size_t frame, int x, int y) const {
        Pixel pixel = frames.at(frame).getpoint(2 * x + 1, 2 * y + 1);
        return pixel[3] == 0 ? clear : pixel;
    }
};

class AnimationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { VIPS_INIT("animation-test"); }
    void SetUp() override {
        for (const char* place : {"home", "tmp", "photos", "frames"})
            fs::create_directories(folder / place);
    }
    // No working folder and nothing half-written beside the source, whatever happened.
    void TearDown() override {
        EXPECT_TRUE(fs::is_empty(folder / "tmp"));
        for (const std::string& name : test::namesIn(photos()))
            EXPECT_FALSE(name.starts_with(".")) << name;
    }

    fs::path photos() const { return folder / "photos"; }
    test::EnvironmentChanges environment() const {
        return {{"REALESRGAN_DIR", engine.folder().string()},
                {"HOME", (folder / "home").string()},
                {"TMPDIR", (folder / "tmp").string()},
                {"FAKE_ESRGAN_ARGS_FILE", engine.argumentsLog().string()}};
    }
    test::ProgramRun cli(const fs::path& source) const {
        return test::runProgram(CLARIVEX_BINARY, {"--cli", source.string(), "--target", "x2"},
                                environment());
    }
    fs::path gif(const std::string& name, const GifSpec& spec) const {
        test::writeFile(photos() / name, test::gifBytes(spec));
        return photos() / name;
    }
    // The device question runs the engine on an empty folder first; frames go in chunks.
    bool engineRanOnFrames() const {
        const auto arguments = engine.lastArguments();
        return arguments.size() > 1 && arguments[1].find("chunk-in-") != std::string::npos;
    }

    // Each result's frames in a folder of their own: libvips keeps what it read by file name.
    Animated readBack(const std::string& name) const {
        const fs::path file = photos() / name;
        const fs::path frames = folder / "frames" / name;
        fs::create_directories(frames);
        test::ffmpeg({"-i", file.string(), "-fps_mode", "passthrough", "-pix_fmt", "rgba",
                      (frames / "%04d.png").string()});
        Animated animated;
        for (const std::string& frame : test::namesIn(frames))
            animated.frames.push_back(VImage::new_from_file((frames / frame).c_str()));
        std::istringstream probed(
            test::runProgram(*test::findProgram("ffprobe"),
                             {"-v", "error", "-show_entries", "frame=pkt_duration_time", "-of",
                              "csv=p=0", file.string()})
                .out);
        for (double seconds = 0; probed >> seconds;)
            animated.seconds.push_back(seconds);
        const std::string bytes = test::readFile(file);
        if (const auto at = bytes.find("acTL"); at != std::string::npos)
            animated.plays = static_cast<unsigned char>(bytes[at + 11]);
        return animated;
    }

    test::TemporaryFolder folder{"clarivex-animation"};
    test::TestEngine engine;
};

// Ten frames of 100 ms, endless; then frames of 50, 200, 1000 ms and two that browsers show for
// 100 ms, in a GIF without the loop extension, which plays once.
TEST_F(AnimationTest, GifKeepsEveryFrameInOrderWithItsDelayAndPlayCount) {
    const struct {
        std::vector<int> delays;
        int repeats;
        std::vector<double> seconds;
        int plays;
    } cases[] = {{std::vector<int>(10, 10), 0, std::vector<double>(10, 0.1), 0},
                 {{5, 20, 100, 0, 1}, -1, {0.05, 0.2, 1.0, 0.1, 0.1}, 1}};
    for (const auto& c : cases) {
        GifSpec spec{128, 96, {}, {}, c.repeats};
        for (std::size_t index = 0; index < c.delays.size(); ++index) {
            spec.palette.push_back(std::uint32_t(index * 25) << 16 | 0x00FF00 >> index);
            spec.frames.push_back(fullFrame(128, 96, std::uint8_t(index), c.delays[index]));
        }
        const std::string count = std::to_string(c.delays.size());
        const std::string result = "clip" + count + "-2x.png";
        const auto run = cli(gif("clip" + count + ".gif", spec));
        ASSERT_EQ(run.exitStatus, 0) << run.out;
        EXPECT_NE(run.out.find("] Апскейл: Кадр " + count + " из " + count), std::string::npos);
        const auto lines = run.outLines();
        EXPECT_TRUE(lines[lines.size() - 2].starts_with("Готово: " + (photos() / result).string() +
                                                        " · 256×192 · " + count + " кадр"));
        EXPECT_EQ(test::readFile(folder / "home/Pictures/Clarivex" / result),
                  test::readFile(photos() / result));
        const Animated animated = readBack(result);
        ASSERT_EQ(animated.frames.size(), c.delays.size());
        EXPECT_EQ(animated.seconds, c.seconds);
        EXPECT_EQ(animated.plays, c.plays);
        for (std::size_t index = 0; index < c.delays.size(); ++index) {
            const std::uint32_t colour = spec.palette[index];
            const Pixel expected{double(colour >> 16), double(colour >> 8 & 0xFF),
                                 double(colour & 0xFF), 255};
            EXPECT_EQ(animated.shown(index, 0, 0), expected) << index;
            EXPECT_EQ(animated.shown(index, 100, 70), expected) << index;
        }
    }
}

// Frames smaller than the canvas, with see-through pixels, over frames that clear to the
// background, restore what was before, or stay; flat blocks of 8, sampled inside.
TEST_F(AnimationTest, GifPartialFramesAndDisposalComeOutComposedAsAViewerShowsThem) {
    test::GifFrame second{6, 6, 12, 12, {}, 10, 3, 0};
    for (int pixel = 0; pixel < 144; ++pixel)
        second.indices.push_back(pixel % 12 < 6 ? 0 : 2);
    GifSpec spec{24,
                 24,
                 {0, 0xFF0000, 0x00FF00, 0x0000FF},
                 {fullFrame(24, 24, 1), second, fullFrame(8, 8, 3), fullFrame(8, 8, 1)}};
    spec.frames[0].disposal = 2;
    spec.frames[0].transparent = spec.frames[2].transparent = 0;
    spec.frames[3].left = spec.frames[3].top = 16;
    ASSERT_EQ(cli(gif("sticker.gif", spec)).exitStatus, 0);
    const Animated result = readBack("sticker-2x.png");
    ASSERT_EQ(result.frames.size(), 4u);
    const std::pair<int, int> places[] = {{3, 3}, {8, 12}, {15, 12}, {20, 20}};
    const std::vector<Pixel> expected[] = {{red, red, red, red},
                                           {clear, clear, green, clear},
                                           {blue, clear, clear, clear},
                                           {blue, clear, clear, red}};
    for (std::size_t frame = 0; frame < 4; ++frame)
        for (std::size_t place = 0; place < 4; ++place)
            EXPECT_EQ(result.shown(frame, places[place].first, places[place].second),
                      expected[frame][place])
                << "frame " << frame << ", place " << place;
}

TEST_F(AnimationTest, WebPKeepsItsSeeThroughPixelsAndAnimatedPngItsFramesWhileAStillStaysAPhoto) {
    const auto filled = [](const Pixel& pixel, int width) {
        return VImage::black(width, 24, VImage::option()->set("bands", 4)).new_from_image(pixel);
    };
    VImage stack = VImage::arrayjoin({filled(clear, 32).insert(filled(red, 16), 0, 0),
                                      filled(clear, 32).insert(filled({0, 0, 255, 128}, 16), 16, 0),
                                      filled(clear, 32)},
                                     VImage::option()->set("across", 1))
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    stack.set("page-height", 24);
    stack.set("delay", std::vector<int>{100, 200, 300});
    stack.webpsave((photos() / "ghost.webp").c_str(), VImage::option()->set("lossless", true));
    test::ffmpeg({"-filter_complex",
                  "color=red:s=32x24:r=5:d=0.4[a];color=lime:s=32x24:r=5:d=0.4[b];"
                  "color=blue:s=32x24:r=5:d=0.4[c];[a][b][c]concat=n=3,format=rgba",
                  "-plays", "0", "-f", "apng", (photos() / "moving.png").string()});
    for (const char* name : {"ghost.webp", "moving.png", "still.gif"})
        ASSERT_EQ(cli(name == std::string("still.gif")
                          ? gif(name, {16, 16, {0xFF0000}, {fullFrame(16, 16, 0)}})
                          : photos() / name)
                      .exitStatus,
                  0)
            << name;

    const Animated ghost = readBack("ghost-2x.png");
    EXPECT_EQ(ghost.seconds, (std::vector<double>{0.1, 0.2, 0.3}));
    const std::vector<Pixel> ghostShows{ghost.shown(0, 4, 12), ghost.shown(0, 26, 12),
                                        ghost.shown(1, 4, 12), ghost.shown(1, 26, 12)};
    EXPECT_EQ(ghostShows, (std::vector<Pixel>{red, clear, clear, {0, 0, 255, 128}}));
    EXPECT_EQ(ghost.frames.at(2).extract_band(3).max(), 0);

    const Animated moving = readBack("moving-2x.png");
    EXPECT_EQ(moving.seconds, std::vector<double>(6, 0.2));
    EXPECT_EQ(moving.plays, 0);
    for (std::size_t frame = 0; frame < 6; ++frame)
        EXPECT_EQ(moving.shown(frame, 16, 12), (std::vector<Pixel>{red, green, blue}[frame / 2]));

    const Animated still = readBack("still-2x.png");
    EXPECT_EQ(still.plays, -1);
    EXPECT_EQ(still.shown(0, 8, 8), red);
}

// 40 one-pixel frames on a 2000 × 2000 canvas: a tiny file whose frames would come out of the
// network at 8000 × 8000. The damaged GIF's third frame holds codes no table has.
TEST_F(AnimationTest, TooLargeOrDamagedAnimationsFailWithTheirSentenceBeforeTheEngine) {
    GifSpec huge{2000, 2000, {0xFF0000}, {}};
    for (int index = 0; index < 40; ++index)
        huge.frames.push_back({index, index, 1, 1, {0}});
    std::string damaged = test::gifBytes({20, 20, {0, 0xFF}, std::vector(5, fullFrame(20, 20, 1))});
    const std::string descriptor("\x2C\0\0\0\0\x14\0\x14\0", 9);
    const std::size_t third =
        damaged.find(descriptor, damaged.find(descriptor, damaged.find(descriptor) + 1) + 1);
    damaged.replace(third + 14, 40, 40, '\xFF');
    test::writeFile(photos() / "damaged.gif", damaged);
    const std::pair<fs::path, std::string> cases[] = {
        {gif("huge.gif", huge), "Ошибка: Анимация слишком большая: 40 кадров по 8000×8000 — это "
                                "2560 млн пикселей, а можно не больше 2000 млн."},
        // libvips reads no more frames of a GIF, and would pass it off as that short.
        {gif("long.gif", {1, 1, {0xFF0000}, std::vector(4097, fullFrame(1, 1, 0))}),
         "Ошибка: Анимация слишком длинная: GIF больше чем из 4096 кадров не прочитать"},
        {photos() / "damaged.gif",
         "Ошибка: Анимация повреждена: не удалось декодировать кадр 3 из 5"},
    };
    for (const auto& [source, error] : cases) {
        const auto run = cli(source);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.outLines().back(), error);
        EXPECT_FALSE(engineRanOnFrames());
    }
    EXPECT_EQ(test::namesIn(photos()),
              (std::vector<std::string>{"damaged.gif", "huge.gif", "long.gif"}));
}

TEST_F(AnimationTest, AStopSignalWhileTheEngineWorksLeavesNothing) {
    const auto source = gif("clip.gif", {16, 16, {0xFF0000}, std::vector(3, fullFrame(16, 16, 0))});
    auto changes = environment();
    changes["FAKE_ESRGAN_HANG"] = "1";
    test::StartedProgram program(CLARIVEX_BINARY, {"--cli", source.string()}, changes);
    ASSERT_TRUE(test::eventually(
        [&] { return engineRanOnFrames() && test::anyProcessRuns(engine.executable()); }));
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait().exitStatus, 128 + SIGTERM);
    EXPECT_TRUE(test::eventually([&] { return !test::anyProcessRuns(engine.executable()); }));
    EXPECT_EQ(test::namesIn(photos()), std::vector<std::string>{"clip.gif"});
}

} // namespace
