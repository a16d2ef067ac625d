#include "core/vocabulary/target.h"

#include "core/vocabulary/vocabulary_table.h"

namespace clarivex {

namespace {

struct TargetRow {
    Target value;
    std::string_view raw;
    std::string_view title;
    std::string_view suffix;
    std::string_view commandLine;
};

constexpr std::array<TargetRow, 4> targets{{
    {Target::x2, "x2", "×2", "-2x", "x2"},
    {Target::x4, "x4", "×4", "-4x", "x4"},
    {Target::fullHD, "fullHD", "1080p", "-1080p", "1080p"},
    {Target::uhd4k, "uhd4k", "4K", "-4k", ""},
}};
static_assert(listsEveryCaseInOrder(targets));

} // namespace

std::string_view rawValue(Target target) {
    return rowOf(targets, target).raw;
}

std::optional<Target> targetFromRaw(std::string_view raw) {
    return caseWhere(targets, &TargetRow::raw, raw);
}

std::string_view title(Target target) {
    return rowOf(targets, target).title;
}

std::string_view suffix(Target target) {
    return rowOf(targets, target).suffix;
}

std::optional<Target> targetFromCommandLine(std::string_view text) {
    return caseWhere(targets, &TargetRow::commandLine, text);
}

} // namespace clarivex
