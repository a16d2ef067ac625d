#pragma once

#include "core/vocabulary/upscale_error.h"

#include <functional>
#include <string>

namespace clarivex::test {

// The UpscaleError that `action` raises. Raising none is itself an error (std::logic_error),
// so that the test fails instead of reading a result that is not there.
UpscaleError errorOf(const std::function<void()>& action);

// The sentence of the UpscaleError that `action` raises.
std::string failureOf(const std::function<void()>& action);

} // namespace clarivex::test
