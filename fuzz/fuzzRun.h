// Runs the program in the fuzzing process, input after input: standard input
// is a memory file that holds the text of the run, standard output another,
// mapped in the process and read in place (or /dev/null), and the program's
// standard error stream a stream of the C library that appends to a string.
// The runs take place on one work thread that lives as long as the process,
// with the stack the program needs for deep inputs: a harness hands it the
// whole work of an input at once.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "driver.h"

namespace fuzz_run {

/// What one run gave: its exit status, what it wrote on each stream, and the
/// bytes its arena held at its end. The output stays valid until the next job
/// is handed to the work thread, the standard error text until the next run.
struct outcome {
  int status;
  std::string_view out;
  std::string_view err;
  std::size_t arena_reserved;
};

/// Makes the streams and the work thread; standard output is kept for the
/// outcome when `keep_output` holds, thrown away otherwise. Aborts when the
/// system refuses.
void start(bool keep_output);

/// Calls `job` with `context` on the work thread, and waits until it returns.
void on_work_thread(void (*job)(void*), void* context);

/// Calls `job()` on the work thread, and waits until it returns.
template <typename Job>
void on_work_thread(Job& job) {
  on_work_thread([](void* context) { (*static_cast<Job*>(context))(); }, &job);
}

/// A program's entry on the calling thread in a given run: za2vu's
/// `run_on_this_thread`, zocheck's `run_check` or zosim's `run_sim`.
using program_entry = int (*)(int argc, const char* const* argv, zo_run& run);

/// On the work thread: runs the program with those options (without the
/// program's name) on the text, in a run of its own that lasts until the next
/// call of `run`.
outcome run(std::span<const char* const> options, std::string_view input,
            program_entry program = run_on_this_thread);

/// On the work thread: runs za2vu with those options on the package that the
/// last run read: the modes that follow one reading of a text share it (a run
/// of -k2quelm adds its node to it).
outcome run_on_read(std::span<const char* const> options);

}  // namespace fuzz_run
