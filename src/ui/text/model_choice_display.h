#pragma once

#include "core/vocabulary/model_choice.h"

#include <string_view>

namespace clarivex {

// How the window shows a model choice on its tile: a symbol name and a one-line hint.
std::string_view symbol(ModelChoice choice);
std::string_view shortHint(ModelChoice choice);

} // namespace clarivex
