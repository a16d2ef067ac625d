#include "core/video/video_info.h"
#include "core/vocabulary/upscale_error.h"
#include "support/upscale_failure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace clarivex;

namespace {

// A stream object with the given extra members, in ffprobe's shape.
std::string videoStream(const std::string& members) {
    return R"({"codec_type": "video", "width": 1920, "height": 1080)" +
           (members.empty() ? std::string() : ", " + members) + "}";
}

std::string answer(const std::string& streams, const std::string& format = "") {
    return R"({"programs": [], "streams": [)" + streams + "]" +
           (format.empty() ? std::string() : R"(, "format": )" + format) + "}";
}

} // namespace

TEST(VideoInfo, RotationBySideData) {
    struct Case {
        std::string sideData;
        Size expected;
    };
    const std::vector<Case> cases{
        {R"([{"rotation": -90}])", {1080, 1920}},
        {R"([{"rotation": 450}])", {1080, 1920}},
        {R"([{"rotation": 180}])", {1920, 1080}},
        // Only numbers count, and the first one found decides.
        {R"([{"rotation": "90"}])", {1920, 1080}},
        {R"([{"side_data_type": "x"}, {"rotation": 90}, {"rotation": 180}])", {1080, 1920}},
        {R"({"rotation": 90})", {1920, 1080}},
    };
    for (const Case& c : cases) {
        const auto info =
            VideoInfo::read(answer(videoStream(R"("side_data_list": )" + c.sideData)));
        EXPECT_EQ(info.size, c.expected) << c.sideData;
    }
}

// Frames are extracted at this rate: a container's clock rate would multiply them, and a
// missing or unusable one falls back to 30.
TEST(VideoInfo, FrameRateFromTheStreamOrAFallback) {
    struct Case {
        std::string rates;
        std::string expected;
    };
    const std::vector<Case> cases{
        {R"("duration": "2.0")", "30/1"},
        {R"("r_frame_rate": "0/0")", "30/1"},
        {R"("r_frame_rate": "1000/1", "avg_frame_rate": "30000/1001")", "30000/1001"},
        {R"("r_frame_rate": "30/1", "avg_frame_rate": "10/1")", "30/1"},
        {R"("r_frame_rate": "1000/1", "avg_frame_rate": "0/0")", "1000/1"},
        {R"("r_frame_rate": "0/0", "avg_frame_rate": "25/1")", "25/1"},
    };
    for (const Case& c : cases) {
        const auto info = VideoInfo::read(answer(videoStream(c.rates)));
        EXPECT_EQ(info.frameRate, c.expected) << c.rates;
        EXPECT_DOUBLE_EQ(info.fps, VideoInfo::rate(c.expected)) << c.rates;
    }
}

TEST(VideoInfo, NonFiniteRateNeverCrashes) {
    for (const char* rate : {"inf/1", "1e308/1e-308", "nan", "-inf", "1e400/1"}) {
        const auto info = VideoInfo::read(answer(
            videoStream(std::string(R"("r_frame_rate": ")") + rate + R"(", "duration": "1e300")")));
        EXPECT_EQ(info.frameEstimate, 0) << rate;
        EXPECT_TRUE(std::isfinite(info.fps) && info.fps > 0) << rate;
    }
    const auto huge =
        VideoInfo::read(answer(videoStream(R"("r_frame_rate": "30/1", "duration": "1e18")")));
    EXPECT_EQ(huge.frameEstimate, 0);
}

TEST(VideoInfo, DurationAndFrameCountFallbacks) {
    struct Case {
        std::string members;
        std::string format;
        std::int64_t expected;
    };
    const std::vector<Case> cases{
        {R"("r_frame_rate": "25/1", "nb_frames": "42", "duration": "10")", "", 42},
        {R"("r_frame_rate": "0/0", "duration": "9")", "", 270},
        {R"("r_frame_rate": "25/1")", R"({"duration": "10.0"})", 250},
        {R"("r_frame_rate": "25/1", "duration": 4)", R"({"duration": "2"})", 50},
        {R"("r_frame_rate": "25/1")", R"({"duration": 10})", 0},
        {R"("r_frame_rate": "25/1", "nb_frames": 42, "duration": "1")", "", 25},
        // Halves round away from zero: 30000/1001 × 0.05 = 1.4985…, 10 × 0.25 = 2.5.
        {R"("r_frame_rate": "30000/1001", "duration": "0.05")", "", 1},
        {R"("r_frame_rate": "10/1", "duration": "0.25")", "", 3},
    };
    for (const Case& c : cases) {
        const auto info = VideoInfo::read(answer(videoStream(c.members), c.format));
        EXPECT_EQ(info.frameEstimate, c.expected) << c.members << " " << c.format;
    }
}

TEST(VideoInfo, AudioAnywhereAndVideoAfterAudio) {
    const auto info = VideoInfo::read(
        answer(R"({"codec_type": "audio"}, )" + videoStream(R"("r_frame_rate": "25/1")") +
               R"(, {"codec_type": "video", "width": 8, "height": 8})"));
    EXPECT_EQ(info.audio.size(), 1u);
    EXPECT_EQ(info.size, (Size{1920, 1080}));
    EXPECT_EQ(info.frameRate, "25/1");
}

// What ffprobe says of a file that has no usable video, or garbage instead of its answer.
TEST(VideoInfo, AnswersWithoutAVideoAreRefused) {
    const UpscaleError noVideo = UpscaleError::unsupported("в файле нет видеодорожки");
    const UpscaleError garbage = UpscaleError::of(UpscaleError::Case::unclearProbe);
    const std::pair<std::string, UpscaleError> cases[] = {
        {"[]", noVideo},
        {R"({"streams": {}})", noVideo},
        {answer(""), noVideo},
        {answer(R"({"codec_type": "video", "width": 64})"), noVideo},
        {answer(R"({"codec_type": "video", "width": "64", "height": 48})"), noVideo},
        {answer(R"({"codec_type": "VIDEO", "width": 64, "height": 48})"), noVideo},
        {answer(R"({"codec_type": "video", "width": 64, "height": 48}, 7)"), noVideo},
        {"", garbage},
        {"not json", garbage},
    };
    for (const auto& [json, error] : cases)
        EXPECT_EQ(test::errorOf([&] { VideoInfo::read(json); }), error) << json;
}

// Tags decide; untagged fields are guessed as players guess them.
TEST(VideoInfo, ColoursFromTagsOrTheUsualGuess) {
    using Matrix = VideoColour::Matrix;
    using Transfer = VideoColour::Transfer;
    struct Case {
        std::string members;
        VideoColour expected;
    };
    const std::vector<Case> cases{
        {R"("width": 640, "height": 480, "pix_fmt": "yuv420p")", {Matrix::bt601}},
        {R"("width": 960, "height": 720)", {Matrix::bt709}},
        {R"("width": 1920, "height": 1080, "color_space": "smpte170m")", {Matrix::bt601}},
        {R"("width": 640, "height": 480, "pix_fmt": "yuvj420p")", {Matrix::bt601, true}},
        {R"("width": 640, "height": 480, "pix_fmt": "yuvj420p", "color_range": "tv")",
         {Matrix::bt601, false}},
        {R"("width": 640, "height": 480, "pix_fmt": "gray")", {Matrix::bt601, true}},
        {R"("width": 3840, "height": 2160, "color_space": "bt2020nc",
            "color_transfer": "smpte2084", "color_primaries": "bt2020")",
         {Matrix::bt2020, false, Transfer::pq, true}},
        {R"("width": 1920, "height": 1080, "color_transfer": "arib-std-b67",
            "color_primaries": "bt2020")",
         {Matrix::bt2020, false, Transfer::hlg, true}},
        {R"("width": 1920, "height": 1080, "color_space": "bt2020nc")",
         {Matrix::bt2020, false, Transfer::standard, true}},
        {R"("width": 1920, "height": 1080, "color_space": "bt2020nc", "color_primaries": "bt709")",
         {Matrix::bt2020, false, Transfer::standard, false}},
    };
    for (const Case& c : cases) {
        const auto info = VideoInfo::read(answer(R"({"codec_type": "video", )" + c.members + "}"));
        EXPECT_EQ(info.colour, c.expected) << c.members;
    }
}
