#pragma once

#include "core/vocabulary/upscale_error.h"

#include <functional>
#include <ostream>

namespace clarivex {

// Case and facts, so that a failed comparison says which differ.
void PrintTo(const UpscaleError& error, std::ostream* out);

namespace test {

// The UpscaleError that `action` raises. Raising none is itself an error (std::logic_error),
// so that the test fails instead of reading a result that is not there.
UpscaleError errorOf(const std::function<void()>& action);

} // namespace test

} // namespace clarivex
