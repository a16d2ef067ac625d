#pragma once

#include "core/preview/preview_decoder.h"

#include <QImage>

namespace clarivex::MediaPreview {

// The decoded picture as the window paints it; the image shares the decoder's pixels. Null
// for an empty picture. Any thread.
QImage image(const PreviewPicture& picture);

// Pictures taller than this many times their placeholder's width are squeezed to fit.
inline constexpr int maximumAspect = 8;

// A tiny copy `cells` pixels across (at least 1) keeping the aspect ratio, for the viewer to
// enlarge without smoothing. The height is capped at maximumAspect × `cells` so that a picture of
// an extreme shape still gives a small placeholder. Null for a null picture. Any thread.
QImage pixelated(const QImage& picture, int cells);

} // namespace clarivex::MediaPreview
