#pragma once

#include <string>
#include <string_view>

namespace clarivex {

// `text` with only what a terminal shows as letters and signs: valid UTF-8 (Cyrillic included),
// tabs as spaces, and nothing of control characters, terminal escape sequences (which could
// recolour, retitle or clear the user's terminal, or hide what follows) or the marks that
// reorder text. For what other programs and files name and we print or show on one line.
std::string printableText(std::string_view text);

} // namespace clarivex
