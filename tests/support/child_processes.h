#pragma once

namespace clarivex::test {

// Whether this process has no child at all, neither running nor waiting to be reaped. Every
// test runs in a process of its own, so a child still there is one that the code left behind.
bool noChildLeft();

} // namespace clarivex::test
