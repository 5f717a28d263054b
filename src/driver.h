// The whole program behind `main`: the command line, one mode over the input,
// and the diagnostic and exit status of whatever failure reaches it.
#pragma once

#include "workStack.h"
#include "xzoRun.h"

/// Runs the program on those arguments (argv[0] is the program's path) on a
/// thread whose stack holds the deepest trees, in a run of its own, and gives
/// the exit status.
int run_program(int argc, const char* const* argv);

/// Runs the program as `run_program` does, on the calling thread and in the
/// caller's run, for a harness that keeps one work thread for many runs and
/// looks at what a run holds once it is over.
int run_on_this_thread(int argc, const char* const* argv, zo_run& run);

/// Runs the mode of those arguments as `run_on_this_thread` does, on the
/// package that the run has read instead of reading the input again (-tlex and
/// -tparse do nothing): for a harness that runs many modes on one text. A run
/// of -k2quelm adds its harness node to the package.
int run_on_package_read(int argc, const char* const* argv, zo_run& run);
