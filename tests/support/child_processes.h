#pragma once

#include <filesystem>

namespace clarivex::test {

// Whether this process has no child at all, neither running nor waiting to be reaped. Every
// test runs in a process of its own, so a child still there is one that the code left behind.
bool noChildLeft();

// Whether any process on the machine was started as `executable`. Told by the path it was
// started with, not by the file it runs: other tests start the same stand-in from their own
// folders.
bool anyProcessRuns(const std::filesystem::path& executable);

} // namespace clarivex::test
