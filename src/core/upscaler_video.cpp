#include "upscaler.h"

#include "upscale_error.h"

namespace clarivex {

Upscaler::Outcome Upscaler::video(const std::filesystem::path&, const std::filesystem::path&,
                                  const Options&, const std::filesystem::path&,
                                  const ProgressCallback&, std::stop_token) const {
    throw UpscaleError::failed("Видео пока не поддерживается в этой сборке.");
}

} // namespace clarivex
