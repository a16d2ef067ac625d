#include "core/vocabulary/printable_text.h"

#include "core/process/line_splitter.h"

#include <cstdint>

namespace clarivex {

namespace {

constexpr char32_t escape = 0x1B;
constexpr char32_t bell = 0x07;
// The C1 forms of the sequence openers, and the string terminator.
constexpr char32_t c1ControlSequence = 0x9B;
constexpr char32_t c1StringTerminator = 0x9C;

struct CodePoint {
    char32_t value = 0;
    std::size_t length = 1;
};

// From valid UTF-8.
CodePoint decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t offset) {
        return static_cast<std::uint8_t>(text[at + offset]);
    };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    if (lead < 0xE0)
        return {static_cast<char32_t>((lead & 0x1F) << 6 | (byte(1) & 0x3F)), 2};
    if (lead < 0xF0)
        return {
            static_cast<char32_t>((lead & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F)),
            3};
    return {static_cast<char32_t>((lead & 0x07) << 18 | (byte(1) & 0x3F) << 12 |
                                  (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F)),
            4};
}

// How a sequence begun by an opener goes on: a control sequence up to its final byte, a
// string (OSC, DCS, PM, APC, SOS) up to its terminator, any other escape up to one final byte.
enum class Sequence { none, control, string, escape };

Sequence opened(char32_t previous, char32_t current) {
    if (previous == escape) {
        if (current == '[')
            return Sequence::control;
        if (current == ']' || current == 'P' || current == 'X' || current == '^' || current == '_')
            return Sequence::string;
        return current >= 0x20 && current <= 0x2F ? Sequence::escape : Sequence::none;
    }
    return Sequence::none;
}

bool shown(char32_t value) {
    const bool control = value < 0x20 || (value >= 0x7F && value <= 0x9F);
    // Embeddings, overrides and isolates: they reorder what follows on the line.
    const bool reordering = (value >= 0x202A && value <= 0x202E) ||
                            (value >= 0x2066 && value <= 0x2069) || value == 0x200E ||
                            value == 0x200F;
    return !control && !reordering;
}

} // namespace

std::string printableText(std::string_view raw) {
    const std::string text = LineSplitter::toValidUtf8(raw);
    std::string printable;
    printable.reserve(text.size());
    Sequence sequence = Sequence::none;
    char32_t previous = 0;
    for (std::size_t at = 0; at < text.size();) {
        const CodePoint point = decode(text, at);
        const char32_t value = point.value;
        const std::string_view bytes(text.data() + at, point.length);
        at += point.length;
        switch (sequence) {
        case Sequence::control:
            if (value >= 0x40 && value <= 0x7E)
                sequence = Sequence::none;
            break;
        case Sequence::string:
            if (value == bell || value == c1StringTerminator ||
                (previous == escape && value == '\\'))
                sequence = Sequence::none;
            break;
        case Sequence::escape:
            if (value >= 0x30 && value <= 0x7E)
                sequence = Sequence::none;
            break;
        case Sequence::none:
            if (previous == escape) {
                sequence = opened(previous, value);
                // ESC and one final character ("ESC c" resets the terminal).
                if (sequence == Sequence::none)
                    break;
            } else if (value == c1ControlSequence) {
                sequence = Sequence::control;
            } else if (value == 0x90 || value == 0x98 || value == 0x9D || value == 0x9E ||
                       value == 0x9F) {
                sequence = Sequence::string;
            } else if (value == '\t') {
                printable += ' ';
            } else if (shown(value)) {
                printable += bytes;
            }
            break;
        }
        previous = value;
    }
    return printable;
}

} // namespace clarivex
