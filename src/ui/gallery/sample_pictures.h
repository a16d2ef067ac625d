#pragma once

#include <QImage>

namespace clarivex::gallery {

// A made-up landscape with fine detail, standing in for an upscaled result.
QImage samplePicture(const QSize& size);
// The same scene as a small, soft source picture.
QImage sampleSource(const QImage& picture, int width);

} // namespace clarivex::gallery
