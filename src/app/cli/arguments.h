#pragma once

#include "core/vocabulary/options.h"

#include <optional>
#include <string>
#include <vector>

namespace clarivex::Main {

// The process's full argument vector, the program path at position 0 included.
using Arguments = std::vector<std::string>;

// The argument right after the first occurrence of `name`, taken unchanged, or nothing when
// `name` is absent or last. Whole arguments are compared, position 0 included.
std::optional<std::string> value(const Arguments& arguments, const std::string& name);

// The job options the command line asks for; unknown values fall back to the defaults.
Options options(const Arguments& arguments);

struct Mode {
    enum class Kind { commandLine, snapshot, window };
    Kind kind = Kind::window;
    // The file for the command line, or the PNG to write for a snapshot.
    std::string file;
    // The media files shown in a snapshot.
    Arguments files;

    bool operator==(const Mode&) const = default;
};

// "--cli" with a file wins over "--snapshot" with an output; anything else opens the window.
// Only the arguments before a "--" choose: after it, every argument is a file of the window.
Mode mode(const Arguments& arguments);

} // namespace clarivex::Main
