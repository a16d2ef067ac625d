#include "support/icc_profile.h"

#include <lcms2.h>

#include <memory>
#include <stdexcept>

namespace clarivex::test {

namespace {

using ProfileHandle = std::unique_ptr<void, decltype(&cmsCloseProfile)>;
using Curve = std::unique_ptr<cmsToneCurve, decltype(&cmsFreeToneCurve)>;

constexpr cmsCIExyY d65{0.3127, 0.3290, 1.0};

Curve gamma(double exponent) {
    return Curve(cmsBuildGamma(nullptr, exponent), cmsFreeToneCurve);
}

// The sRGB curve, which Display P3 shares.
Curve srgbCurve() {
    const double parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return Curve(cmsBuildParametricToneCurve(nullptr, 4, parameters), cmsFreeToneCurve);
}

ProfileHandle rgbProfile(const cmsCIExyYTRIPLE& primaries, const Curve& curve) {
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    return ProfileHandle(cmsCreateRGBProfile(&d65, &primaries, curves), cmsCloseProfile);
}

ProfileHandle build(ColourSpace space) {
    switch (space) {
    case ColourSpace::adobeRgb:
        return rgbProfile({{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}},
                          gamma(563.0 / 256.0));
    case ColourSpace::displayP3:
        return rgbProfile({{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, srgbCurve());
    case ColourSpace::greyLinear:
        return ProfileHandle(cmsCreateGrayProfile(cmsD50_xyY(), gamma(1.0).get()), cmsCloseProfile);
    }
    throw std::logic_error("unknown colour space");
}

std::string saved(const ProfileHandle& profile) {
    cmsUInt32Number length = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &length))
        throw std::runtime_error("lcms could not build the profile");
    std::string bytes(length, '\0');
    cmsSaveProfileToMem(profile.get(), bytes.data(), &length);
    return bytes;
}

} // namespace

std::string iccProfile(ColourSpace space) {
    return saved(build(space));
}

std::string deviceLinkProfile() {
    const ProfileHandle from(cmsCreate_sRGBProfile(), cmsCloseProfile);
    const ProfileHandle to = build(ColourSpace::adobeRgb);
    cmsHTRANSFORM transform = cmsCreateTransform(from.get(), TYPE_RGB_8, to.get(), TYPE_RGB_8,
                                                 INTENT_RELATIVE_COLORIMETRIC, 0);
    if (transform == nullptr)
        throw std::runtime_error("lcms could not link the profiles");
    const ProfileHandle link(cmsTransform2DeviceLink(transform, 4.3, 0), cmsCloseProfile);
    cmsDeleteTransform(transform);
    return saved(link);
}

vips::VImage withProfile(const vips::VImage& image, const std::string& profile) {
    vips::VImage tagged = image.copy();
    vips_image_set_blob_copy(tagged.get_image(), VIPS_META_ICC_NAME, profile.data(),
                             profile.size());
    return tagged;
}

} // namespace clarivex::test
