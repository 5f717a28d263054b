#include "fuzzRun.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"
#include "runState.h"

namespace fuzz_run {

namespace {

int input_fd = -1;
int output_fd = -1;
bool keeping_output = false;
std::string output_bytes;
// The program's standard error stream: a memory file kept from run to run,
// so that no run takes fresh memory for it.
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

}  // namespace

void start(bool keep_output) {
  keeping_output = keep_output;
  input_fd = memfd_create("zo-input", 0);
  output_fd = keep_output ? memfd_create("zo-output", 0) : open("/dev/null", O_WRONLY);
  int error_fd = memfd_create("zo-error", 0);
  check(input_fd >= 0 && output_fd >= 0 && error_fd >= 0);
  error_file = fdopen(error_fd, "w");
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
  reset_run_state();
}

void on_work_thread(void (*given)(void*), void* context) {
  pthread_mutex_lock(&lock);
  job = given;
  job_context = context;
  pthread_cond_broadcast(&changed);
  while (job != nullptr) pthread_cond_wait(&changed, &lock);
  pthread_mutex_unlock(&lock);
}

outcome run(std::span<const char* const> options, std::string_view input,
            program_entry program) {
  // The files keep their pages from run to run: the input is cut to its
  // length, and the output is as long as the offset its writes reach.
  check(pwrite(input_fd, input.data(), input.size(), 0) ==
            static_cast<ssize_t>(input.size()) &&
        ftruncate(input_fd, static_cast<off_t>(input.size())) == 0 &&
        lseek(input_fd, 0, SEEK_SET) == 0);
  if (keeping_output) check(lseek(output_fd, 0, SEEK_SET) == 0);
  arguments.assign({"za2vu"});
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(nullptr);

  reset_run_state();
  check(std::fseek(error_file, 0, SEEK_SET) == 0);
  FILE* process_stderr = stderr;
  stderr = error_file;
  int given = program(static_cast<int>(arguments.size() - 1), arguments.data());
  stderr = process_stderr;
  check(std::fflush(error_file) == 0);
  long error_length = std::ftell(error_file);
  check(error_length >= 0);
  error_bytes.resize(static_cast<std::size_t>(error_length));
  check(pread(fileno(error_file), error_bytes.data(), error_bytes.size(), 0) ==
        static_cast<ssize_t>(error_length));

  output_bytes.clear();
  if (keeping_output) {
    off_t written = lseek(output_fd, 0, SEEK_CUR);
    check(written >= 0);
    output_bytes.resize(static_cast<std::size_t>(written));
    check(pread(output_fd, output_bytes.data(), output_bytes.size(), 0) == written);
  }
  return {given, output_bytes, error_bytes};
}

}  // namespace fuzz_run
