#include "core/vocabulary/byte_count.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace clarivex {

namespace {

struct Unit {
    const char* name;
    double size;
    int decimals;
};

// Like the usual file-size style: whole kilobytes, one decimal for megabytes, two above.
constexpr std::array<Unit, 5> units{{
    {"КБ", 1e3, 0},
    {"МБ", 1e6, 1},
    {"ГБ", 1e9, 2},
    {"ТБ", 1e12, 2},
    {"ПБ", 1e15, 2},
}};

std::string withComma(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    if (decimals > 0) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    for (char& c : text) {
        if (c == '.')
            c = ',';
    }
    return text;
}

} // namespace

std::string formatByteCount(std::int64_t bytes) {
    const bool negative = bytes < 0;
    const double magnitude = std::fabs(static_cast<double>(bytes));
    const std::string sign = negative ? "-" : "";
    if (magnitude < 1000)
        return sign + std::to_string(static_cast<long long>(magnitude)) + " байт";
    const Unit* unit = &units.front();
    for (const Unit& candidate : units) {
        // Choose by the rounded value, so that 999 999 bytes reads "1 МБ", not "1000 кБ".
        const double rounded =
            std::round(magnitude / candidate.size * std::pow(10, candidate.decimals)) /
            std::pow(10, candidate.decimals);
        unit = &candidate;
        if (rounded < 1000)
            break;
    }
    return sign + withComma(magnitude / unit->size, unit->decimals) + " " + unit->name;
}

} // namespace clarivex
