#include "core/video/track_choice.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Kind = SubtitleCharset::Kind;

// The note says what the result holds: an empty track, text nobody can read and whatever MP4
// cannot hold are counted as left out, never as carried.
TEST(TrackChoice, NoteSaysWhatIsCarriedAndWhatIsLeftOut) {
    struct Case {
        const char* name;
        VideoInfo info;
        std::vector<bool> audioFilled;
        std::vector<SubtitleCharset> charsets;
        TrackNote expected;
    };
    VideoInfo twoSounds;
    twoSounds.audio = {{"aac", 2}, {"aac", 2}};
    VideoInfo subtitled;
    subtitled.subtitles = {{"subrip", 0, "rus"}, {"hdmv_pgs_subtitle"}, {"ass", 0, "eng"}};
    VideoInfo extras;
    extras.audio = {{"opus", 2}};
    extras.fonts = 2;
    extras.otherAttachments = 1;
    extras.dataStreams = 1;
    extras.timecode = "10:00:00:00";
    const std::vector<Case> cases{
        {"nothing but pictures", VideoInfo{}, {}, {}, {}},
        {"two sounds", twoSounds, {true, true}, {}, {.audio = 2}},
        {"one of them empty", twoSounds, {true, false}, {}, {.audio = 1, .emptyTracks = 1}},
        {"both empty", twoSounds, {false, false}, {}, {.emptyTracks = 2}},
        {"subtitles as they are",
         subtitled,
         {},
         {{}, {}, {}},
         {.subtitles = 2, .pictureSubtitles = 1}},
        {"converted and unreadable",
         subtitled,
         {},
         {{Kind::legacy, "CP1251"}, {}, {Kind::unknown, ""}},
         {.subtitles = 1,
          .convertedFrom = {"CP1251"},
          .pictureSubtitles = 1,
          .unknownTextSubtitles = 1}},
        {"fonts, files, data and a time code",
         extras,
         {true},
         {},
         {.audio = 1, .timecode = true, .fonts = 2, .otherAttachments = 1, .dataStreams = 1}},
    };
    for (const Case& c : cases) {
        TrackSurvey survey = TrackSurvey::assumed(c.info);
        if (!c.audioFilled.empty())
            survey.audioFilled = c.audioFilled;
        if (!c.charsets.empty())
            survey.subtitleCharsets = c.charsets;
        EXPECT_EQ(TrackChoice::make(c.info, survey).note(), c.expected) << c.name;
    }
}

// ffmpeg leaves out, with a warning only, a time code it cannot write; the detail must not
// promise one then.
TEST(TrackChoice, OnlyTimecodesFfmpegWrites) {
    struct Case {
        const char* timecode;
        double fps;
        bool usable;
    };
    const Case cases[] = {
        {"01:00:00:00", 25, true},
        {"00:59:59;28", 30000.0 / 1001, true},
        {"00:00:00.02", 60000.0 / 1001, true},
        {"01:00:00;00", 25, false},
        {"01:00:00;00", 30, false},
        {"01:00:00:0x", 25, false},
        {"01:00:00:000", 25, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrackChoice::usableTimecode(c.timecode, c.fps), c.usable) << c.timecode;
}

// ffprobe names no count for a stream it read no packet of; an answer about other streams than
// the header's leaves the header's account standing.
TEST(TrackSurvey, CountsFindEmptyTracks) {
    VideoInfo info;
    info.audio = {{"aac", 2}, {"aac", 2}};
    info.subtitles = {{"subrip"}};
    const auto survey = TrackSurvey::fromCounts(
        R"({"streams": [{"codec_type": "video", "nb_read_packets": "20"},
            {"codec_type": "audio", "nb_read_packets": "88"}, {"codec_type": "audio"},
            {"codec_type": "subtitle", "nb_read_packets": "0"}]})",
        info);
    EXPECT_EQ(survey.audioFilled, (std::vector<bool>{true, false}));
    EXPECT_EQ(survey.subtitlesFilled, (std::vector<bool>{false}));
    for (const char* answer : {"", "[]", R"({"streams": [{"codec_type": "audio"}]})"})
        EXPECT_EQ(TrackSurvey::fromCounts(answer, info), TrackSurvey::assumed(info)) << answer;
}
