#pragma once

#include <cstdint>
#include <string>

namespace clarivex {

// "1 кадр", "3 кадра", "11 кадров": the count with the word in the case Russian wants after it.
std::string frameCountText(std::int64_t frames);

} // namespace clarivex
