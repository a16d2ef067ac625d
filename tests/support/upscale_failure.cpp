#include "support/upscale_failure.h"

#include <stdexcept>

namespace clarivex::test {

UpscaleError errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const UpscaleError& error) {
        return error;
    }
    throw std::logic_error("no UpscaleError was raised");
}

std::string failureOf(const std::function<void()>& action) {
    return errorOf(action).what();
}

} // namespace clarivex::test
