#include "core/process/line_splitter.h"

#include <cstddef>
#include <cstdint>

namespace clarivex {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

bool isContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// How long a well-formed sequence starting with `lead` is, and which values its second byte may
// take (the narrower ranges exclude overlong forms, surrogates and values above U+10FFFF);
// 0 when `lead` starts no sequence at all.
struct SequenceShape {
    std::size_t length = 0;
    std::uint8_t secondLow = 0x80;
    std::uint8_t secondHigh = 0xBF;
};

SequenceShape shapeOf(std::uint8_t lead) {
    if (lead < 0x80)
        return {1};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4};
    return {};
}

// How many bytes from `at` form a well-formed sequence, or, when they do not, how many bytes
// the ill-formed piece takes (negated), which one replacement character stands for.
std::ptrdiff_t measure(std::string_view bytes, std::size_t at) {
    const auto shape = shapeOf(static_cast<std::uint8_t>(bytes[at]));
    if (shape.length == 0)
        return -1;
    std::size_t taken = 1;
    for (; taken < shape.length; ++taken) {
        if (at + taken >= bytes.size())
            return -static_cast<std::ptrdiff_t>(taken);
        const auto byte = static_cast<std::uint8_t>(bytes[at + taken]);
        const bool fits =
            taken == 1 ? byte >= shape.secondLow && byte <= shape.secondHigh : isContinuation(byte);
        if (!fits)
            return -static_cast<std::ptrdiff_t>(taken);
    }
    return static_cast<std::ptrdiff_t>(taken);
}

// Drops the start of a multi-byte sequence that a cut left without its end.
void dropUnfinishedCharacter(std::string& bytes) {
    std::size_t start = bytes.size();
    while (start > 0 && bytes.size() - start < 3 &&
           isContinuation(static_cast<std::uint8_t>(bytes[start - 1])))
        --start;
    if (start == 0)
        return;
    const std::size_t length = shapeOf(static_cast<std::uint8_t>(bytes[start - 1])).length;
    if (length > bytes.size() - start + 1)
        bytes.resize(start - 1);
}

} // namespace

std::vector<std::string> LineSplitter::feed(std::string_view bytes) {
    std::vector<std::string> lines;
    // Line breaks are single bytes that never occur inside a multi-byte sequence, so cutting the
    // raw bytes at them is safe; an unfinished sequence simply stays in `pending_`.
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", at);
        keep(bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos)
            break;
        endLine(lines);
        at = end + 1;
    }
    return lines;
}

void LineSplitter::keep(std::string_view piece) {
    const std::size_t room = maxLineBytes - pending_.size();
    if (piece.size() > room) {
        pending_.append(piece.substr(0, room));
        cut_ = true;
    } else {
        pending_.append(piece);
    }
}

std::vector<std::string> LineSplitter::finish() {
    std::vector<std::string> lines;
    endLine(lines);
    return lines;
}

void LineSplitter::endLine(std::vector<std::string>& lines) {
    if (cut_) {
        dropUnfinishedCharacter(pending_);
        pending_ += "…";
    }
    if (!pending_.empty())
        lines.push_back(toValidUtf8(pending_));
    pending_.clear();
    cut_ = false;
}

std::string LineSplitter::toValidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto length = measure(bytes, at);
        if (length > 0) {
            text.append(bytes.substr(at, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
        } else {
            text.append(replacementCharacter);
            at += static_cast<std::size_t>(-length);
        }
    }
    return text;
}

} // namespace clarivex
