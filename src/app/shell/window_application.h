#pragma once

namespace clarivex::Main {

// Window mode: hands the file arguments to an instance already running and returns, or
// becomes that instance, shows the main window, queues the files and runs until the window is
// closed. Returns the exit status.
int window(int argc, char** argv);

} // namespace clarivex::Main
