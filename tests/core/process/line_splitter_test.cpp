#include "core/process/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace clarivex;

namespace {

struct SplitCase {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> lines;
};

std::vector<std::string> splitAll(const std::vector<std::string>& pieces) {
    LineSplitter splitter;
    std::vector<std::string> lines;
    for (const auto& piece : pieces) {
        for (auto& line : splitter.feed(piece))
            lines.push_back(std::move(line));
    }
    for (auto& line : splitter.finish())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace

TEST(LineSplitter, SplitsPiecesIntoLines) {
    const SplitCase cases[] = {
        {"carriage returns and line feeds", {"a\rb\r\nc\n\n"}, {"a", "b", "c"}},
        {"nothing at all", {}, {}},
        {"line split across pieces", {"hel", "lo\n", "wor", "", "ld\n"}, {"hello", "world"}},
        {"CR LF split across pieces", {"a\r", "\nb\n"}, {"a", "b"}},
        {"last line without a break", {"one\ntwo"}, {"one", "two"}},
        {"progress rewrites", {"10.00%\r20.00%\r", "30.00%\r\n"}, {"10.00%", "20.00%", "30.00%"}},
        {"multi-byte character split", {"\xD0", "\x96\xD0\xBA", "\n"}, {"Жк"}},
        {"four-byte character split thrice", {"\xF0", "\x9F", "\x98", "\x80\n"}, {"😀"}},
        {"invalid byte",
         {"ok\xFF"
          "bad\n"},
         {"ok\uFFFDbad"}},
        {"stream ends inside a sequence", {"end\xE2\x82"}, {"end\uFFFD"}},
        {"invalid byte does not swallow the break", {"a\xC3\nb\n"}, {"a\uFFFD", "b"}},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(splitAll(testCase.pieces), testCase.lines) << testCase.name;
}

// A program that writes without line feeds would otherwise fill our memory with one line; the
// cut keeps whole characters and the next line is whole again.
TEST(LineSplitter, OverlongLineKeepsItsBeginning) {
    LineSplitter splitter;
    const std::string cyrillic = "Ж";
    std::string flood = "a";
    while (flood.size() < 3 * LineSplitter::maxLineBytes)
        flood += cyrillic;
    for (std::size_t at = 0; at < flood.size(); at += 1000)
        EXPECT_TRUE(splitter.feed(std::string_view(flood).substr(at, 1000)).empty());
    const auto lines = splitter.feed("\nnext\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_LE(lines[0].size(), LineSplitter::maxLineBytes + std::string("…").size());
    EXPECT_EQ(lines[0], flood.substr(0, LineSplitter::maxLineBytes - 1) + "…");
    EXPECT_EQ(LineSplitter::toValidUtf8(lines[0]), lines[0]);
    EXPECT_EQ(lines[1], "next");
}
