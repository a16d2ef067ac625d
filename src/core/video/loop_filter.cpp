#include "core/video/loop_filter.h"

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

} // namespace clarivex::LoopFilter
