#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace clarivex {

// Cuts a stream of concatenated PNG files (ffmpeg's "image2pipe" output) into whole files, as
// the bytes arrive in arbitrary pieces. A file ends with its IEND chunk; only the chunk lengths
// are read, never the pictures. Bytes that are no PNG, or a file larger than `largestFile`,
// raise UpscaleError::failed. Used from one thread at a time.
class PngStream {
public:
    explicit PngStream(std::size_t largestFile);

    // The files that `bytes` completes, in order.
    std::vector<std::string> feed(std::string_view bytes);
    // Whether bytes of an unfinished file are held: at the stream's end, a cut-off file.
    bool hasPartialFile() const { return !pending_.empty(); }

private:
    // The length of the complete file at the start of `pending_`, or 0 while it is incomplete.
    std::size_t completeFileLength();

    std::size_t largestFile_;
    std::string pending_;
    // Where the next chunk header of the file at the start of `pending_` begins.
    std::size_t scanned_ = 0;
};

} // namespace clarivex
