#include "ui/text/target_display.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

struct TargetDisplayRow {
    Target value;
    std::string_view resolutionHint;
};

constexpr std::array<TargetDisplayRow, 4> targetDisplays{{
    {Target::x2, "вдвое больше"},
    {Target::x4, "вчетверо больше"},
    {Target::fullHD, "1920 × 1080"},
    {Target::uhd4k, "3840 × 2160"},
}};
static_assert(listsEveryCaseInOrder(targetDisplays));

} // namespace

std::string_view resolutionHint(Target target) {
    return rowOf(targetDisplays, target).resolutionHint;
}

} // namespace clarivex
