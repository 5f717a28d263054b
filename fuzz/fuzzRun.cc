#include "fuzzRun.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"
#include "xzoRun.h"

namespace fuzz_run {

namespace {

// Standard input: a memory file holding the text of the last run, rewritten
// only when the next run reads another text.
int input_fd = -1;
std::string input_text;
bool input_written = false;

// Standard output: a memory file mapped in the process, whose writes are read
// in place. The runs of one job write one after the other from offset 0, so
// that every output of the job stays valid until the next job.
int output_fd = -1;
bool keeping_output = false;
constexpr std::size_t output_room = std::size_t{1} << 30;
const char* output_map = nullptr;
off_t output_end = 0;

// The program's standard error stream: a stream of the C library whose
// writes append to `error_bytes`, without a system call.
FILE* error_file = nullptr;
std::string error_bytes;
std::vector<const char*> arguments;

// The job handed to the work thread, cleared when it is done.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
void (*job)(void*) = nullptr;
void* job_context = nullptr;

void* work(void*) {
  keep_stack_room();
  pthread_mutex_lock(&lock);
  for (;;) {
    while (job == nullptr) pthread_cond_wait(&changed, &lock);
    job(job_context);
    job = nullptr;
    pthread_cond_broadcast(&changed);
  }
}

void check(bool done) {
  if (!done) std::abort();
}

ssize_t append_error(void*, const char* bytes, std::size_t size) {
  error_bytes.append(bytes, size);
  return static_cast<ssize_t>(size);
}

void use_input(std::string_view input) {
  if (!input_written || input != input_text) {
    check(pwrite(input_fd, input.data(), input.size(), 0) ==
              static_cast<ssize_t>(input.size()) &&
          ftruncate(input_fd, static_cast<off_t>(input.size())) == 0);
    input_text = input;
    input_written = true;
  }
  check(lseek(input_fd, 0, SEEK_SET) == 0);
}

}  // namespace

void start(bool keep_output) {
  keeping_output = keep_output;
  input_fd = memfd_create("zo-input", 0);
  output_fd = keep_output ? memfd_create("zo-output", 0) : open("/dev/null", O_WRONLY);
  check(input_fd >= 0 && output_fd >= 0);
  if (keep_output) {
    check(ftruncate(output_fd, static_cast<off_t>(output_room)) == 0);
    void* mapped = mmap(nullptr, output_room, PROT_READ, MAP_SHARED, output_fd, 0);
    check(mapped != MAP_FAILED);
    output_map = static_cast<const char*>(mapped);
  }
  error_file = fopencookie(nullptr, "w", {nullptr, append_error, nullptr, nullptr});
  check(error_file != nullptr);
  check(dup2(input_fd, STDIN_FILENO) == STDIN_FILENO &&
        dup2(output_fd, STDOUT_FILENO) == STDOUT_FILENO);
  pthread_attr_t attributes;
  pthread_t worker{};
  check(pthread_attr_init(&attributes) == 0 &&
        pthread_attr_setstacksize(&attributes, work_stack_size) == 0 &&
        pthread_create(&worker, &attributes, work, nullptr) == 0);
  pthread_attr_destroy(&attributes);
  check(pthread_detach(worker) == 0);
}

void on_work_thread(void (*given)(void*), void* context) {
  if (keeping_output && output_end != 0) {
    check(lseek(output_fd, 0, SEEK_SET) == 0);
    output_end = 0;
  }
  pthread_mutex_lock(&lock);
  job = given;
  job_context = context;
  pthread_cond_broadcast(&changed);
  while (job != nullptr) pthread_cond_wait(&changed, &lock);
  pthread_mutex_unlock(&lock);
}

namespace {

// The run of the last input, kept for the modes run on what it read.
std::optional<zo_run> last_run;

// Runs the entry with those options in the last input's run, the streams
// captured.
outcome run_captured(std::span<const char* const> options, program_entry program) {
  arguments.assign({"za2vu"});
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(nullptr);

  error_bytes.clear();
  FILE* process_stderr = stderr;
  stderr = error_file;
  int given =
      program(static_cast<int>(arguments.size() - 1), arguments.data(), *last_run);
  stderr = process_stderr;
  check(std::fflush(error_file) == 0);
  std::size_t reserved = last_run->memory().reserved();

  if (!keeping_output) return {given, {}, error_bytes, reserved};
  off_t start = output_end;
  output_end = lseek(output_fd, 0, SEEK_CUR);
  // The outputs of one job must fit in the mapping.
  check(output_end >= start && static_cast<std::size_t>(output_end) <= output_room);
  return {given,
          {output_map + start, static_cast<std::size_t>(output_end - start)},
          error_bytes,
          reserved};
}

}  // namespace

outcome run(std::span<const char* const> options, std::string_view input,
            program_entry program) {
  use_input(input);
  // The run of the input before goes first, so that each run's arena is made
  // and gone in turn.
  last_run.reset();
  last_run.emplace();
  return run_captured(options, program);
}

outcome run_on_read(std::span<const char* const> options) {
  return run_captured(options, run_on_package_read);
}

}  // namespace fuzz_run
