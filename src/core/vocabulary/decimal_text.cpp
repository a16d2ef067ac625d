#include "core/vocabulary/decimal_text.h"

#include <charconv>
#include <cmath>

namespace clarivex {

std::string fixedDecimal(double value, int decimals) {
    if (!std::isfinite(value))
        value = 0;
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

} // namespace clarivex
