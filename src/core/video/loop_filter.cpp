#include "core/video/loop_filter.h"

#include "core/video/video_commands.h"
#include "core/vocabulary/decimal_text.h"

#include <algorithm>

namespace clarivex::LoopFilter {

double fadeFor(double duration, double loopFade) {
    return std::min(loopFade, duration / 3);
}

std::string make(double duration, double fade) {
    const std::string f = fixedDecimal(fade, 3);
    const std::string offset = fixedDecimal(duration - 2 * fade, 3);
    return "[0:v]split[a][b];[a]trim=start=" + f + ",setpts=PTS-STARTPTS[main];[b]trim=end=" + f +
           ",setpts=PTS-STARTPTS[head];[main][head]xfade=transition=fade:duration=" + f +
           ":offset=" + offset + ",format=yuv420p";
}

std::vector<std::string> passArguments(const std::filesystem::path& video, const std::string& graph,
                                       const std::filesystem::path& output) {
    std::vector<std::string> arguments{
        "-v",      "error",   "-y",   "-i",   video.string(), "-filter_complex", graph,    "-c:v",
        "libx264", "-preset", "slow", "-crf", "18",           "-pix_fmt",        "yuv420p"};
    // The graph keeps the frame encoder's BT.709 pixels as they are; only the tags are restated.
    const auto tags = VideoCommands::bt709Tags();
    arguments.insert(arguments.end(), tags.begin(), tags.end());
    arguments.insert(arguments.end(), {"-movflags", "+faststart", "-an", output.string()});
    return arguments;
}

std::string seamDetail(double fade) {
    return "Стык " + fixedDecimal(fade, 1) + " с";
}

} // namespace clarivex::LoopFilter
