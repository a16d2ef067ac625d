#pragma once

#include <QByteArray>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace clarivex::OpenRequest {

// What a second start sends to the running instance: the files it was asked to open, as the
// file system names them (bytes, not necessarily UTF-8). Only a list of absolute paths is ever
// accepted; anything else that arrives on the channel is someone else's data and is dropped
// whole.

using Paths = std::vector<std::filesystem::path>;

// Above this a message is not a list of files a desktop would hand over.
constexpr qsizetype maximumBytes = 4 * 1024 * 1024;

// A header, every path followed by a NUL, then one more NUL to end the list.
QByteArray encode(const Paths& paths);

// Whether the end of the list has arrived.
bool isComplete(const QByteArray& message);

// The paths of a complete, well-formed message (possibly none), or nothing when any part of
// it is not: the header, a NUL after every path, every path absolute, the end.
std::optional<Paths> decode(const QByteArray& message);

// What the running instance answers once the files are in its queue.
QByteArray acknowledgement();

struct FileArguments {
    Paths files;
    // Arguments before a "--" that begin with a dash: no option of the window, said so once.
    std::vector<std::string> options;
};

// The arguments of a window start (after the program's name) as files made absolute against
// `folder`: every argument that does not begin with a dash, and every argument after a "--".
// A file:// link to a local file, as a desktop may pass it, stands for that file.
FileArguments fromArguments(const std::vector<std::string>& arguments,
                            const std::filesystem::path& folder);

} // namespace clarivex::OpenRequest
