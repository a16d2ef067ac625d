#include "support/upscale_failure.h"

#include <stdexcept>

namespace clarivex {

void PrintTo(const UpscaleError& error, std::ostream* out) {
    *out << "UpscaleError{case " << static_cast<int>(error.kind()) << ", text \"" << error.text()
         << "\", lines \"" << error.errorLines() << "\", status " << error.status() << ", folder "
         << error.folder() << ", needed " << error.needed() << ", free " << error.free() << "}";
}

namespace test {

UpscaleError errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const UpscaleError& error) {
        return error;
    }
    throw std::logic_error("no UpscaleError was raised");
}

} // namespace test

} // namespace clarivex
