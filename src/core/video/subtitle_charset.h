#pragma once

#include <string>
#include <string_view>

namespace clarivex {

// The character set of a text subtitle track, as far as its bytes and its language tag tell.
// ffmpeg's subtitle decoders take UTF-8 only and drop every other event without failing, which
// leaves an empty track behind; a legacy set is named so that the decoder can be told to convert.
struct SubtitleCharset {
    enum class Kind {
        // UTF-8 (ASCII included): nothing to convert.
        utf8,
        // A legacy set, `name` being iconv's name for it ("CP1251").
        legacy,
        // Neither: UTF-16 without a mark, binary, or a set that cannot be told from its bytes.
        unknown,
    };

    Kind kind = Kind::utf8;
    std::string name;

    // `text`: the track's events as stored, one after another; `language`: its ISO 639 tag
    // ("rus", "ell"; empty when untagged).
    static SubtitleCharset detect(std::string_view text, std::string_view language);

    bool operator==(const SubtitleCharset&) const = default;
};

} // namespace clarivex
