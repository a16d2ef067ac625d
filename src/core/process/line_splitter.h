#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// Turns the bytes of one output stream, as they arrive in arbitrary pieces, into lines.
// A line ends at a line feed or a carriage return (so CR LF is one break and each rewrite of a
// progress line is a line of its own); empty lines are dropped. An unfinished line, including
// an unfinished UTF-8 sequence, waits for the next piece; bytes that are not UTF-8 become
// U+FFFD so that no text is lost. A line longer than `maxLineBytes` keeps its beginning and
// ends in "…": a program that writes without line feeds must not fill our memory. One splitter
// per stream, used from one thread at a time.
class LineSplitter {
public:
    static constexpr std::size_t maxLineBytes = 16 * 1024;

    // The lines that `bytes` completes, in order.
    std::vector<std::string> feed(std::string_view bytes);
    // What is left once the stream has ended, as a last line (none when nothing is left).
    std::vector<std::string> finish();

    // `bytes` as valid UTF-8: each maximal ill-formed subsequence becomes one U+FFFD.
    static std::string toValidUtf8(std::string_view bytes);

private:
    void keep(std::string_view piece);
    void endLine(std::vector<std::string>& lines);

    std::string pending_;
    bool cut_ = false;
};

} // namespace clarivex
