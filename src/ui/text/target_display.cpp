#include "ui/text/target_display.h"

namespace clarivex {

std::string_view resolutionHint(Target target) {
    switch (target) {
    case Target::x2:
        return "вдвое больше";
    case Target::x4:
        return "вчетверо больше";
    case Target::fullHD:
        return "1920 × 1080";
    case Target::uhd4k:
        return "3840 × 2160";
    }
    return "";
}

} // namespace clarivex
