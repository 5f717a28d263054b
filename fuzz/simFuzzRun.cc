#include "simFuzzRun.h"

#include <sanitizer/common_interface_defs.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "simRun.h"

namespace sim_fuzz {

namespace {

void check(bool done) {
  if (!done) std::abort();
}

// The descriptor of the process's standard error, kept while a run writes on
// a memory file in its place.
int kept_stderr = -1;
int captured_fd = -1;
bool capturing = false;

std::string captured_text() {
  std::string text;
  off_t end = lseek(captured_fd, 0, SEEK_CUR);
  text.resize(static_cast<std::size_t>(end > 0 ? end : 0));
  if (!text.empty())
    check(pread(captured_fd, text.data(), text.size(), 0) ==
          static_cast<ssize_t>(text.size()));
  return text;
}

void stop_capture() {
  if (!capturing) return;
  check(dup2(kept_stderr, STDERR_FILENO) == STDERR_FILENO);
  capturing = false;
}

// A sanitizer's report goes to the captured descriptor: give the process its
// standard error back and write out what the run wrote there.
void on_death() {
  if (!capturing) return;
  stop_capture();
  std::string text = captured_text();
  if (!text.empty()) (void)!write(STDERR_FILENO, text.data(), text.size());
}

}  // namespace

memory_file::memory_file() : fd_(memfd_create("zosim-program", 0)) {
  check(fd_ >= 0);
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

const char* memory_file::hold(std::string_view text) {
  check(pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) &&
        ftruncate(fd_, static_cast<off_t>(text.size())) == 0);
  return path_.c_str();
}

void start() {
  kept_stderr = dup(STDERR_FILENO);
  captured_fd = memfd_create("zosim-stderr", 0);
  check(kept_stderr >= 0 && captured_fd >= 0);
  __sanitizer_set_death_callback(on_death);
}

outcome run(std::initializer_list<const char*> arguments, std::string_view input) {
  check(ftruncate(captured_fd, 0) == 0 && lseek(captured_fd, 0, SEEK_SET) == 0);
  check(dup2(captured_fd, STDERR_FILENO) == STDERR_FILENO);
  capturing = true;
  fuzz_run::outcome result =
      fuzz_run::run(std::span(arguments.begin(), arguments.size()), input, run_sim);
  stop_capture();
  return {result.status, result.out, std::string(result.err) + captured_text()};
}

}  // namespace sim_fuzz
