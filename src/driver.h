// The whole program behind `main`: the command line, one mode over the input,
// and the diagnostic and exit status of whatever failure reaches it.
#pragma once

#include <cstddef>

/// Runs the program on those arguments (argv[0] is the program's path) on a
/// thread whose stack holds the deepest trees, and gives the exit status.
int run_program(int argc, const char* const* argv);

/// The stack size of the thread that runs the program: it holds the
/// recursion over the deepest trees.
inline constexpr std::size_t work_stack_size = std::size_t{2} << 30;

/// Marks the calling thread's stack as the one the recursion may fill, but for
/// a margin kept for unwinding and the diagnostic; call it once on a thread
/// that was made with `work_stack_size` before running the program there.
void keep_stack_room();

/// Runs the program as `run_program` does, on the calling thread, for a
/// harness that keeps one work thread for many runs.
int run_on_this_thread(int argc, const char* const* argv);
