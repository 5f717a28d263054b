// The zocheck program behind `main`: the command line, each file checked in
// turn, the count of what was found, and the exit status.
#pragma once

/// Runs zocheck on those arguments and gives the exit status: 0 when no file
/// has an error, 1 when one has or cannot be read, 2 on a usage error or an
/// unhandled failure.
int run_check(int argc, const char* const* argv);
