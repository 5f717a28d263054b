// The zocheck program behind `main`: the command line, each file checked in
// turn, the count of what was found, and the exit status.
#pragma once

#include "xzoRun.h"

/// Runs zocheck on those arguments and gives the exit status: 0 when no file
/// has an error, 1 when one has or cannot be read, 2 on a usage error or an
/// unhandled failure. The files are read in a run of its own.
int run_check(int argc, const char* const* argv);

/// The same in the caller's run, for a harness that looks at what the run
/// holds once it is over.
int run_check(int argc, const char* const* argv, zo_run& run);
