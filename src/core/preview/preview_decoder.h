#pragma once

#include "core/vocabulary/media_kind.h"
#include "core/vocabulary/size.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>

namespace clarivex {

// How large a picture is decoded, in pixels: fitted inside `box`, or with `cover` just large
// enough to cover it (a card filled edge to edge). Never enlarged.
struct PictureFit {
    Size box;
    bool cover = false;

    bool operator==(const PictureFit&) const = default;
};

// A picture decoded for the screen: 8 bits a channel, alpha premultiplied, each pixel in the
// byte order blue, green, red, alpha, rows of width × 4 bytes without padding. Immutable, and
// cheap to copy: copies share the pixels.
struct PreviewPicture {
    int width = 0;
    int height = 0;
    std::shared_ptr<const unsigned char> pixels;
};

namespace PreviewDecoder {

// What the window shows of a media file: a photo upright (its orientation applied) or a
// video's frame 0.1 s in, decoded at the size `fit` asks for (a JPEG shrunk while it is
// decoded, so that a large photo never reaches memory at full size). Only a regular file is
// read, as the pipeline reads one: a folder, a pipe or a device gives nothing and never
// blocks. Stopping `stopToken` ends a decode early, with nothing. Any problem gives nothing,
// never an error. Blocking; any thread.
std::optional<PreviewPicture> decode(const std::filesystem::path& file, MediaKind kind,
                                     const PictureFit& fit, std::stop_token stopToken = {});

// The size a picture of the file has upright (a video's: its frame's), read from the header
// where the file has one. The same files as decode(); nothing for the others.
std::optional<Size> measure(const std::filesystem::path& file, MediaKind kind,
                            std::stop_token stopToken = {});

} // namespace PreviewDecoder

} // namespace clarivex
