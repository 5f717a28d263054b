// The whole program behind `main`: the command line, one mode over the input,
// and the diagnostic and exit status of whatever failure reaches it.
#pragma once

#include "workStack.h"

/// Runs the program on those arguments (argv[0] is the program's path) on a
/// thread whose stack holds the deepest trees, and gives the exit status.
int run_program(int argc, const char* const* argv);

/// Runs the program as `run_program` does, on the calling thread, for a
/// harness that keeps one work thread for many runs.
int run_on_this_thread(int argc, const char* const* argv);

/// Runs the mode of those arguments as `run_on_this_thread` does, on the
/// package that the last run read instead of reading the input again (-tlex and
/// -tparse do nothing): for a harness that runs many modes on one text. A run
/// of -k2quelm adds its harness node to the package.
int run_on_package_read(int argc, const char* const* argv);
