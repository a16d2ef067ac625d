#include "core/video/subtitle_charset.h"

#include <gtest/gtest.h>

using namespace clarivex;
using Kind = SubtitleCharset::Kind;

namespace {

// "Привет, мир! Это субтитры." in Windows-1251 and in KOI8-R.
const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xDD\xF2\xEE "
                           "\xF1\xF3\xE1\xF2\xE8\xF2\xF0\xFB.";
const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2! \xFC\xD4\xCF "
                         "\xD3\xD5\xC2\xD4\xC9\xD4\xD2\xD9.";
// "Ça va très bien, merci" in Windows-1252.
const std::string western = "\xC7"
                            "a va tr\xE8s bien, merci";

} // namespace

TEST(SubtitleCharset, NamesTheSetItsBytesAndLanguageTell) {
    struct Case {
        const char* name;
        std::string text;
        std::string language;
        SubtitleCharset expected;
    };
    const std::vector<Case> cases{
        {"ASCII", "Hello\r\nworld", "", {}},
        {"UTF-8", "Привет, мир", "rus", {}},
        {"Windows-1251, tagged", cp1251, "rus", {Kind::legacy, "CP1251"}},
        {"Windows-1251, untagged", cp1251, "", {Kind::legacy, "CP1251"}},
        {"KOI8-R, untagged", koi8, "und", {Kind::legacy, "KOI8-R"}},
        {"KOI8-U", koi8, "ukr", {Kind::legacy, "KOI8-U"}},
        {"Western, untagged", western, "", {Kind::legacy, "CP1252"}},
        {"Western, tagged", western, "fre", {Kind::legacy, "CP1252"}},
        {"Greek by its tag", cp1251, "ell", {Kind::legacy, "CP1253"}},
        {"a language without a known set", cp1251, "jpn", {Kind::unknown, ""}},
        {"UTF-16 without a mark", std::string("H\0i\0\xE9\0", 6), "", {Kind::unknown, ""}},
        // Shift JIS "日本語" thrice: double bytes, half of them below 0xC0.
        {"double bytes, untagged",
         "\x93\xFA\x96\x7B\x8C\xEA\x93\xFA\x96\x7B\x8C\xEA",
         "",
         {Kind::unknown, ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SubtitleCharset::detect(c.text, c.language), c.expected) << c.name;
}
