#pragma once

#include <cstdint>
#include <string>

namespace clarivex {

// A byte count for people, in decimal units with Russian unit names and a decimal comma:
// "512 байт", "12 КБ", "3,4 МБ", "4,32 ГБ".
std::string formatByteCount(std::int64_t bytes);

} // namespace clarivex
