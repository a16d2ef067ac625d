#include "core/video/video_commands.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Carry = VideoCommands::Carry;

namespace {

std::string joined(const VideoInfo& info, const TrackChoice& choice, Carry carry) {
    std::string text;
    for (const std::string& argument : VideoCommands::join(
             "/parts/segments.txt", "/videos/film.mkv", info, choice, carry, "/parts/result.mp4"))
        text += argument + ' ';
    return text;
}

void expectParts(const std::string& text, const std::vector<std::string>& parts) {
    for (const std::string& part : parts)
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
}

} // namespace

// What the clips of the end-to-end tests cannot show: picture subtitles are left out, so the
// subtitles' numbers skip them, a forced track stays forced, and the second attempt makes all
// sound AAC.
TEST(VideoCommands, JoinCarriesWhatMp4Holds) {
    VideoInfo info;
    info.audio = {{"aac", 2}, {"flac", 6}};
    info.subtitles = {{"subrip"}, {"hdmv_pgs_subtitle"}, {"ass", 0, "rus", true, true}};
    const TrackChoice choice = TrackChoice::make(info, TrackSurvey::assumed(info));
    expectParts(joined(info, choice, Carry::everything),
                {"-map 0:v:0 -map 1:a:0 -map 1:a:1 -map 1:s:0 -map 1:s:2 -map_metadata",
                 "-c:a:0 copy", "-c:a:1 aac", "-disposition:s:1 default+forced"});
    EXPECT_NE(joined(info, choice, Carry::everythingAsAac).find("-c:a:0 aac"), std::string::npos);
    EXPECT_EQ(joined(info, choice, Carry::nothing).find("1:a:0"), std::string::npos);
}

// An empty track is not asked for, so the written streams are numbered without it; a legacy
// character set is the decoder's to convert, named before the source it belongs to.
TEST(VideoCommands, JoinLeavesOutEmptyTracksAndConvertsLegacyText) {
    VideoInfo info;
    info.audio = {{"flac", 2}, {"aac", 2}};
    info.subtitles = {{"subrip", 0, "eng"}, {"subrip", 0, "rus"}};
    info.timecode = "01:00:00:00";
    TrackSurvey survey = TrackSurvey::assumed(info);
    survey.audioFilled[0] = false;
    survey.subtitleCharsets[1] = {SubtitleCharset::Kind::legacy, "CP1251"};
    const std::string text = joined(info, TrackChoice::make(info, survey), Carry::everything);
    expectParts(text,
                {"-sub_charenc:s:1 CP1251 -i /videos/film.mkv",
                 "-map 0:v:0 -map 1:a:1 -map 1:s:0 -map 1:s:1 -map_metadata",
                 "-c:a:0 copy -disposition:a:0 default", "-metadata:s:v:0 timecode=01:00:00:00"});
    EXPECT_EQ(text.find("1:a:0"), std::string::npos);
    EXPECT_EQ(text.find("-c:a:1"), std::string::npos);
}
