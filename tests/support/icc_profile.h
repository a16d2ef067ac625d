#pragma once

#include <vips/vips8>

#include <string>

namespace clarivex::test {

// ICC profiles built with lcms from their published primaries and curves, so that no other
// product's profile file is needed.
enum class ColourSpace { adobeRgb, displayP3, greyLinear };

std::string iccProfile(ColourSpace space);

// A device link from sRGB to Adobe RGB: a profile that joins two devices and describes neither,
// which no picture can be read through.
std::string deviceLinkProfile();

// A copy of `image` that carries `profile` as its embedded ICC profile.
vips::VImage withProfile(const vips::VImage& image, const std::string& profile);

} // namespace clarivex::test
