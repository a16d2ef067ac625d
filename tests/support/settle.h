#pragma once

#include <functional>

namespace clarivex::test {

// Turns the event loop until `done` holds, deleting what was deleted later on the way. Each
// check follows an event, never a sleep; a wait that never ends gives up after a generous
// guard, counted as a failure of the test. Main thread.
bool settle(const std::function<bool()>& done);

} // namespace clarivex::test
