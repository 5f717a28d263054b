// The whole program behind `main`: the command line, one mode over the input,
// and the diagnostic and exit status of whatever failure reaches it.
#pragma once

/// Runs the program on those arguments (argv[0] is the program's path) on a
/// thread whose stack holds the deepest trees, and gives the exit status.
int run_program(int argc, const char* const* argv);
