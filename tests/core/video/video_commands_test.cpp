#include "core/video/video_commands.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Carry = VideoCommands::Carry;

// What the clips of the end-to-end tests cannot show: picture subtitles are left out, so the
// subtitles' numbers skip them, a forced track stays forced, and the second attempt makes all
// sound AAC.
TEST(VideoCommands, JoinCarriesWhatMp4Holds) {
    VideoInfo info;
    info.audio = {{"aac", 2}, {"flac", 6}};
    info.subtitles = {{"subrip"}, {"hdmv_pgs_subtitle"}, {"ass", 0, "rus", true, true}};
    const auto join = [&](Carry carry) {
        std::string text;
        for (const std::string& argument : VideoCommands::join(
                 "/parts/segments.txt", "/videos/film.mkv", info, carry, "/parts/result.mp4"))
            text += argument + ' ';
        return text;
    };
    const std::string everything = join(Carry::everything);
    for (const std::string part :
         {"-map 0:v:0 -map 1:a:0 -map 1:a:1 -map 1:s:0 -map 1:s:2 -map_metadata", "-c:a:0 copy",
          "-c:a:1 aac", "-disposition:s:1 default+forced"})
        EXPECT_NE(everything.find(part), std::string::npos) << part << " in " << everything;
    EXPECT_NE(join(Carry::everythingAsAac).find("-c:a:0 aac"), std::string::npos);
    EXPECT_EQ(join(Carry::nothing).find("1:a:0"), std::string::npos);
}
