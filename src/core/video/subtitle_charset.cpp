#include "core/video/subtitle_charset.h"

#include "core/process/line_splitter.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace clarivex {

namespace {

struct LanguageSet {
    std::array<std::string_view, 3> codes;
    std::string_view charset;
};

// The Windows code page each language's subtitles were written in before UTF-8: ISO 639-2 in
// both its forms, and 639-1. Cyrillic is left to the bytes, which tell Windows from KOI8.
constexpr std::string_view cyrillic = "cyrillic";
constexpr std::array<LanguageSet, 34> languageSets{{
    {{"rus", "ru", ""}, cyrillic},    {{"ukr", "uk", ""}, cyrillic},
    {{"bel", "be", ""}, cyrillic},    {{"bul", "bg", ""}, cyrillic},
    {{"srp", "sr", ""}, cyrillic},    {{"mkd", "mac", "mk"}, cyrillic},
    {{"kaz", "kk", ""}, cyrillic},    {{"gre", "ell", "el"}, "CP1253"},
    {{"tur", "tr", ""}, "CP1254"},    {{"heb", "he", ""}, "CP1255"},
    {{"ara", "ar", ""}, "CP1256"},    {{"per", "fas", "fa"}, "CP1256"},
    {{"lit", "lt", ""}, "CP1257"},    {{"lav", "lv", ""}, "CP1257"},
    {{"est", "et", ""}, "CP1257"},    {{"vie", "vi", ""}, "CP1258"},
    {{"pol", "pl", ""}, "CP1250"},    {{"cze", "ces", "cs"}, "CP1250"},
    {{"slo", "slk", "sk"}, "CP1250"}, {{"hun", "hu", ""}, "CP1250"},
    {{"hrv", "hr", ""}, "CP1250"},    {{"slv", "sl", ""}, "CP1250"},
    {{"rum", "ron", "ro"}, "CP1250"}, {{"bos", "bs", ""}, "CP1250"},
    {{"eng", "en", ""}, "CP1252"},    {{"fre", "fra", "fr"}, "CP1252"},
    {{"ger", "deu", "de"}, "CP1252"}, {{"spa", "es", ""}, "CP1252"},
    {{"ita", "it", ""}, "CP1252"},    {{"por", "pt", ""}, "CP1252"},
    {{"dut", "nld", "nl"}, "CP1252"}, {{"swe", "sv", ""}, "CP1252"},
    {{"nor", "no", ""}, "CP1252"},    {{"dan", "da", ""}, "CP1252"},
}};

// What the bytes above ASCII look like.
struct ByteCounts {
    std::size_t asciiLetters = 0;
    std::size_t high = 0;
    // 0xC0–0xDF and 0xE0–0xFF: capitals and small letters in Windows-1251, the other way round
    // in KOI8; most of a text is small letters.
    std::size_t upperBlock = 0;
    std::size_t lowerBlock = 0;
    bool controls = false;
};

ByteCounts count(std::string_view text) {
    ByteCounts counts;
    for (const char character : text) {
        const auto byte = static_cast<std::uint8_t>(character);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            counts.controls = true;
        else if ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z')
            ++counts.asciiLetters;
        else if (byte >= 0x80)
            ++counts.high;
        if (byte >= 0xC0)
            ++(byte >= 0xE0 ? counts.lowerBlock : counts.upperBlock);
    }
    return counts;
}

std::string cyrillicSet(const ByteCounts& counts, std::string_view language) {
    if (counts.upperBlock > counts.lowerBlock)
        return language == "ukr" || language == "uk" ? "KOI8-U" : "KOI8-R";
    return "CP1251";
}

SubtitleCharset legacy(std::string name) {
    return {SubtitleCharset::Kind::legacy, std::move(name)};
}

} // namespace

SubtitleCharset SubtitleCharset::detect(std::string_view text, std::string_view language) {
    if (LineSplitter::toValidUtf8(text) == text)
        return {};
    const ByteCounts counts = count(text);
    // NUL and other controls: UTF-16 or no text at all, which no single-byte set explains.
    if (counts.controls)
        return {Kind::unknown, {}};
    const auto known = std::find_if(languageSets.begin(), languageSets.end(), [&](const auto& set) {
        return std::find(set.codes.begin(), set.codes.end(), language) != set.codes.end() &&
               !language.empty();
    });
    if (known != languageSets.end())
        return legacy(known->charset == cyrillic ? cyrillicSet(counts, language)
                                                 : std::string(known->charset));
    if (!language.empty() && language != "und")
        return {Kind::unknown, {}};
    // Untagged: Cyrillic text is nearly all letters above ASCII, and those are nearly all in
    // 0xC0–0xFF; a Western text has few; Chinese or Japanese double bytes are spread all over.
    const std::size_t letters = counts.upperBlock + counts.lowerBlock;
    if (counts.high > counts.asciiLetters && letters * 10 >= counts.high * 9)
        return legacy(cyrillicSet(counts, language));
    if (counts.high * 3 <= counts.asciiLetters)
        return legacy("CP1252");
    return {Kind::unknown, {}};
}

} // namespace clarivex
