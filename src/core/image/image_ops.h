#pragma once

#include "core/vocabulary/size.h"

#include <vips/vips8>

#include <filesystem>

namespace clarivex::ImageOps {

// A decoded raster image. libvips images are immutable values that share their pixels, so
// they are cheap to copy and safe to hand between threads.
using Bitmap = vips::VImage;

enum class FileType { png, jpeg };

// Starts libvips for the whole process; every other function here does it itself. Whoever
// decodes with libvips outside these functions (the window's previews, on their own thread)
// calls it first: libvips' own start returns at once to a second thread while the first is
// still registering its loaders, and that thread then finds no loader or crashes.
// Raises UpscaleError::failed when libvips cannot start; the next call tries again.
void startVips();

// The type a result is written in: JPEG exactly when the name ends in ".jpg".
FileType fileTypeFor(const std::filesystem::path& output);

Size sizeOf(const Bitmap& image);

// The user's photo with only its header read: size and orientation are known, no pixel is
// decoded yet, so that a picture too large to decode can be refused first.
// Raises UpscaleError::unsupported when the file is no image.
Bitmap openSource(const std::filesystem::path& file);

// The size the photo has once its orientation tag is applied, from the header alone.
Size uprightSize(const Bitmap& opened);

// 8-bit sRGB, three or four bands, showing the colours the picture shows: one with an embedded
// ICC profile that fits its pixels goes through it (relative colorimetric; colours outside sRGB
// are clipped); any other keeps its numbers, taken as sRGB (CMYK through libvips' own profile).
// Lazy, like every libvips operation; raises vips::VError when the pixels are computed.
Bitmap toSrgb(const Bitmap& image);

// Whether the picture carries an ICC profile that toSrgb cannot use (a device link, an abstract
// or named-colour profile, one for other pixels, or a damaged one): its numbers are then taken
// as sRGB, which the user is told.
bool profileIgnored(const Bitmap& image);

// An opened photo, fully decoded, upright (orientation tag applied), as 8-bit sRGB (`toSrgb`).
// Raises UpscaleError::failed with libvips' reason when the pixels cannot be decoded.
Bitmap decodeSource(const Bitmap& opened);

// The network's output, unchanged, read lazily and in one pass, so that a large result is
// streamed rather than held in memory. Raises UpscaleError::failed when it is missing.
Bitmap readResult(const std::filesystem::path& file);

// Exactly size.width × size.height with a Lanczos kernel, each axis with its own factor;
// the very same image when the size already matches.
Bitmap resize(const Bitmap& image, Size size);

// Writes one image, with no metadata, replacing any file at `file`. JPEG at quality 95.
// Errors name `shownName` (the name the user will look for) when given, else the file's name.
void write(const Bitmap& image, const std::filesystem::path& file, FileType type,
           const std::string& shownName = {});
// The same into the open, empty file `descriptor`, which stays open: for files whose name
// someone else could re-point between its making and its writing.
void write(const Bitmap& image, int descriptor, FileType type, const std::string& shownName);

// Writes a PNG for a program to read right away: fast compression rather than small files.
void writeIntermediate(const Bitmap& image, const std::filesystem::path& file);

} // namespace clarivex::ImageOps
