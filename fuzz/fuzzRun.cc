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
char* error_bytes = nullptr;
std::size_t error_length = 0;
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
  check(input_fd >= 0 && output_fd >= 0);
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
  std::free(error_bytes);
  error_bytes = nullptr;
  FILE* process_stderr = stderr;
  stderr = open_memstream(&error_bytes, &error_length);
  check(stderr != nullptr);
  int given = program(static_cast<int>(arguments.size() - 1), arguments.data());
  std::fclose(stderr);
  stderr = process_stderr;

  output_bytes.clear();
  if (keeping_output) {
    off_t written = lseek(output_fd, 0, SEEK_CUR);
    check(written >= 0);
    output_bytes.resize(static_cast<std::size_t>(written));
    check(pread(output_fd, output_bytes.data(), output_bytes.size(), 0) == written);
  }
  return {given, output_bytes, {error_bytes, error_length}};
}

}  // namespace fuzz_run
