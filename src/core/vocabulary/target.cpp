#include "core/vocabulary/target.h"

namespace clarivex {

namespace {

struct TargetTexts {
    std::string_view raw;
    std::string_view title;
    std::string_view suffix;
};

TargetTexts texts(Target target) {
    switch (target) {
    case Target::x2:
        return {"x2", "×2", "-2x"};
    case Target::x4:
        return {"x4", "×4", "-4x"};
    case Target::fullHD:
        return {"fullHD", "1080p", "-1080p"};
    case Target::uhd4k:
        return {"uhd4k", "4K", "-4k"};
    }
    return {"uhd4k", "4K", "-4k"};
}

} // namespace

std::string_view rawValue(Target target) {
    return texts(target).raw;
}
std::string_view title(Target target) {
    return texts(target).title;
}
std::string_view suffix(Target target) {
    return texts(target).suffix;
}

std::optional<Target> targetFromRaw(std::string_view raw) {
    for (Target target : allTargets) {
        if (rawValue(target) == raw)
            return target;
    }
    return std::nullopt;
}

} // namespace clarivex
