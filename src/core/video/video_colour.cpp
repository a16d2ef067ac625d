#include "core/video/video_colour.h"

#include <optional>
#include <string_view>

namespace clarivex {

namespace {

using Matrix = VideoColour::Matrix;

std::optional<Matrix> taggedMatrix(std::string_view name) {
    if (name == "bt709")
        return Matrix::bt709;
    if (name == "bt470bg" || name == "smpte170m")
        return Matrix::bt601;
    if (name == "fcc")
        return Matrix::fcc;
    if (name == "smpte240m")
        return Matrix::smpte240m;
    if (name == "bt2020nc" || name == "bt2020c")
        return Matrix::bt2020;
    return std::nullopt;
}

} // namespace

VideoColour VideoColour::fromTags(const Tags& tags, Size stored) {
    VideoColour colour;
    const bool bt2020 = tags.primaries == "bt2020";
    if (const auto matrix = taggedMatrix(tags.matrix))
        colour.matrix = *matrix;
    else if (bt2020)
        colour.matrix = Matrix::bt2020;
    else
        colour.matrix =
            stored.height >= 720 || stored.width >= 1280 ? Matrix::bt709 : Matrix::bt601;
    const bool primariesTagged = !tags.primaries.empty() && tags.primaries != "unknown";
    colour.bt2020Primaries = primariesTagged ? bt2020 : colour.matrix == Matrix::bt2020;

    if (tags.range == "pc" || tags.range == "tv")
        colour.fullRange = tags.range == "pc";
    else
        colour.fullRange = tags.pixelFormat.starts_with("yuvj") ||
                           tags.pixelFormat.starts_with("gray") ||
                           tags.pixelFormat.starts_with("ya");

    if (tags.transfer == "smpte2084")
        colour.transfer = Transfer::pq;
    else if (tags.transfer == "arib-std-b67")
        colour.transfer = Transfer::hlg;
    return colour;
}

} // namespace clarivex
