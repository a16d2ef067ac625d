#pragma once

#include "app/cli/arguments.h"

#include <string>

namespace clarivex::Main {

// Snapshot mode: renders the main window, 1180×760 points, with the queue in a demonstration
// state into the PNG file `out`, with no display and no engine. `arguments` are the files and
// "--state empty|done|running". Prints "Снимок: OUT" and returns 0, or prints "Ошибка: …" and
// returns 1 with `out` untouched when the picture cannot be made or written.
int snapshot(int argc, char** argv, const std::string& out, const Arguments& arguments);

} // namespace clarivex::Main
