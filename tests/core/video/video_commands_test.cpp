#include "core/video/video_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clarivex;
using Carry = VideoCommands::Carry;

namespace {

// The value after `option` in an argument list, or "" when the option is not there.
std::string valueOf(const std::vector<std::string>& arguments, const std::string& option) {
    const auto found = std::find(arguments.begin(), arguments.end(), option);
    return found == arguments.end() || found + 1 == arguments.end() ? "" : *(found + 1);
}

std::vector<std::string> maps(const std::vector<std::string>& arguments) {
    std::vector<std::string> streams;
    for (auto at = arguments.begin(); at != arguments.end(); ++at)
        if (*at == "-map" && at + 1 != arguments.end())
            streams.push_back(*(at + 1));
    return streams;
}

} // namespace

// What the clips of the end-to-end tests cannot show: picture subtitles are left out, so the
// subtitles' numbers skip them, a forced track stays forced, and the second attempt makes all
// sound AAC.
TEST(VideoCommands, JoinCarriesWhatMp4Holds) {
    VideoInfo info;
    info.audio = {{"aac", 2}, {"flac", 6}};
    info.subtitles = {{"subrip"}, {"hdmv_pgs_subtitle"}, {"ass", 0, "rus", true, true}};
    const auto join = [&](Carry carry) {
        return VideoCommands::join("/parts/segments.txt", "/videos/film.mkv", info, carry,
                                   "/parts/result.mp4");
    };
    const auto everything = join(Carry::everything);
    EXPECT_EQ(maps(everything),
              (std::vector<std::string>{"0:v:0", "1:a:0", "1:a:1", "1:s:0", "1:s:2"}));
    EXPECT_EQ(valueOf(everything, "-c:a:0"), "copy");
    EXPECT_EQ(valueOf(everything, "-c:a:1"), "aac");
    EXPECT_EQ(valueOf(everything, "-disposition:s:1"), "default+forced");
    EXPECT_EQ(valueOf(join(Carry::everythingAsAac), "-c:a:0"), "aac");
    EXPECT_EQ(maps(join(Carry::nothing)), std::vector<std::string>{"0:v:0"});
}
