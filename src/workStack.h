// The deep stack the programs work on: every module may recurse over trees as
// deep as the input nests.
#pragma once

/// Runs `work` on those arguments on a thread whose stack holds the deepest
/// trees, and gives its status; 2, with the "Out_of_memory" failure printed,
/// when there is no room for that stack.
int run_on_work_stack(int (*work)(int argc, const char* const* argv), int argc,
                      const char* const* argv);
