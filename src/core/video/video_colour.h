#pragma once

#include "core/vocabulary/size.h"

#include <string>

namespace clarivex {

// How a video's pixels carry their colours, as far as taking frames out needs to know: the
// YCbCr matrix and range to read them with, and whether they must be brought into BT.709's
// gamut (BT.2020 primaries) and brightness (HDR transfer) first. A value.
struct VideoColour {
    enum class Matrix { bt601, bt709, fcc, smpte240m, bt2020 };
    enum class Transfer { standard, pq, hlg };

    // ffprobe's colour fields of the video stream, each empty when ffprobe gave none.
    struct Tags {
        std::string matrix;      // color_space
        std::string range;       // color_range
        std::string transfer;    // color_transfer
        std::string primaries;   // color_primaries
        std::string pixelFormat; // pix_fmt
    };

    Matrix matrix = Matrix::bt709;
    // Levels over the whole 0–255 ("pc", "jpeg") rather than 16–235.
    bool fullRange = false;
    Transfer transfer = Transfer::standard;
    bool bt2020Primaries = false;

    // Untagged fields are guessed as players guess them: BT.601 for frames stored below 720
    // lines (and narrower than 1280), BT.709 from there on; full range for "yuvj" and grey
    // pixel formats, limited otherwise.
    static VideoColour fromTags(const Tags& tags, Size stored);

    // PQ or HLG: the frames are tone-mapped into SDR.
    bool hdr() const { return transfer != Transfer::standard; }

    bool operator==(const VideoColour&) const = default;
};

} // namespace clarivex
