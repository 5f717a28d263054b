// Runs zosim in the fuzzing process, as fuzzRun runs za2vu: its entry on the
// work thread, its streams captured. The programs it reads are memory files
// named by a path, and what zosim writes straight on the descriptor of
// standard error (the checker's diagnostics) is captured too, and written
// out if a sanitizer stops the process during the run.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "fuzzRun.h"

namespace sim_fuzz {

/// A file in memory that another module opens by its path like any file.
class memory_file {
 public:
  /// Aborts when the system refuses.
  memory_file();
  /// Makes `text` the whole file and gives its path.
  const char* hold(std::string_view text);

 private:
  int fd_;
  std::string path_;
};

/// What a zosim run gave: its status, standard output and everything written
/// on standard error, both of which stay valid until the next run.
struct outcome {
  int status;
  std::string_view out;
  std::string err;
};

/// Sets up the capture of standard error's descriptor; call once, after
/// `fuzz_run::start`.
void start();

/// On the work thread: runs zosim with those arguments (without the
/// program's name), standard input holding `input`.
outcome run(std::initializer_list<const char*> arguments, std::string_view input = {});

}  // namespace sim_fuzz
