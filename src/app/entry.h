#pragma once

namespace clarivex::Main {

// The process entry: picks the mode from the arguments and returns the exit status.
int main(int argc, char** argv);

} // namespace clarivex::Main
