// The deep stack the programs work on: every module may recurse over trees as
// deep as the input nests, so the work runs on a thread whose stack holds
// 100000 levels and more.
#pragma once

#include <cstddef>

/// The stack size of the thread that runs a program: it holds the recursion
/// over the deepest trees.
inline constexpr std::size_t work_stack_size = std::size_t{2} << 30;

/// Marks the calling thread's stack as the one the recursion may fill, but for
/// a margin kept for unwinding and the diagnostic; call it once on a thread
/// that was made with `work_stack_size` before running a program there.
void keep_stack_room();

/// Runs `work` on those arguments on a thread made with `work_stack_size`, and
/// gives its status; 2, with the "Out_of_memory" failure printed, when there
/// is no room for that stack (an address-space limit): on the main thread's
/// small stack a deep input would overflow it.
int run_on_work_stack(int (*work)(int argc, const char* const* argv), int argc,
                      const char* const* argv);
