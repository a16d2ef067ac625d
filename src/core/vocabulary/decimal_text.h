#pragma once

#include <string>

namespace clarivex {

// A number with a fixed count of decimals and always a point, whatever the process locale
// (the window sets one with a decimal comma).
std::string fixedDecimal(double value, int decimals);

} // namespace clarivex
