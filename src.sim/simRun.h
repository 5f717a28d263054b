// The zosim program behind `main`: the command line, the program read and
// checked, its node compiled, then the steps run, printed, checked or
// compared, and the exit status.
#pragma once

#include "xzoRun.h"

/// Runs zosim on those arguments and gives the exit status: 0 on success, 1
/// on a reported error, 2 on a usage error or an unhandled failure. The
/// programs are read in a run of its own.
int run_sim(int argc, const char* const* argv);

/// The same in the caller's run.
int run_sim(int argc, const char* const* argv, zo_run& run);
