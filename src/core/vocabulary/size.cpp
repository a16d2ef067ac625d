#include "core/vocabulary/size.h"

namespace clarivex {

std::string Size::description() const {
    return std::to_string(width) + "×" + std::to_string(height);
}

} // namespace clarivex
