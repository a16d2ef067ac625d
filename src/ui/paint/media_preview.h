#pragma once

#include "core/vocabulary/media_kind.h"

#include <QImage>

#include <filesystem>
#include <optional>
#include <stop_token>

namespace clarivex::MediaPreview {

// A displayable picture of a file: an image upright with its orientation applied, a video's
// frame 0.1 s in. With `maxPixel`, the longer side is at most that many pixels (never
// enlarged); without it, full size. Blocking: call it off the main thread, from any thread.
// Any problem gives a null image, never an error.
// Stopping `stopToken` ends a running frame extraction early, with a null image.
QImage load(const std::filesystem::path& file, MediaKind kind, std::optional<int> maxPixel,
            std::stop_token stopToken = {});

// Pictures taller than this many times their placeholder's width are squeezed to fit.
inline constexpr int maximumAspect = 8;

// A tiny copy `cells` pixels across (at least 1) keeping the aspect ratio, for the viewer to
// enlarge without smoothing. The height is capped at maximumAspect × `cells` so that a picture of
// an extreme shape still gives a small placeholder. Null for a null picture. Any thread.
QImage pixelated(const QImage& picture, int cells);

} // namespace clarivex::MediaPreview
