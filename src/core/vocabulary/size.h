#pragma once

#include <cstdint>
#include <string>

namespace clarivex {

// A pixel size; its text form is "1920×1080" with the multiplication sign and no spaces.
struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;

    std::string description() const;
    bool operator==(const Size&) const = default;
};

} // namespace clarivex
