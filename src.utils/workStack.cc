#include "workStack.h"

#include <pthread.h>

#include "errorPrint.h"
#include "errors.h"
#include "stack_room.h"

namespace {

struct run_request {
  int (*work)(int, const char* const*);
  int argc;
  const char* const* argv;
  int status;
};

// What the deepest recursion leaves below itself: room for the calls that do
// not recurse, for unwinding and for printing the diagnostic.
constexpr std::size_t stack_margin = std::size_t{16} << 20;

void* run_on_worker(void* request) {
  auto* work = static_cast<run_request*>(request);
  keep_stack_room();
  work->status = work->work(work->argc, work->argv);
  return nullptr;
}

}  // namespace

void keep_stack_room() {
  pthread_attr_t attributes;
  void* lowest = nullptr;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  if (pthread_attr_getstack(&attributes, &lowest, &size) == 0 && size > stack_margin)
    stack_room::keep_above(lowest, stack_margin);
  pthread_attr_destroy(&attributes);
}

int run_on_work_stack(int (*work)(int, const char* const*), int argc,
                      const char* const* argv) {
  run_request request{work, argc, argv, 2};
  pthread_attr_t attributes;
  pthread_t worker;
  if (pthread_attr_init(&attributes) != 0 ||
      pthread_attr_setstacksize(&attributes, work_stack_size) != 0 ||
      pthread_create(&worker, &attributes, run_on_worker, &request) != 0) {
    print_fatal_error("Out_of_memory", "no room for the work stack");
    return 2;
  }
  pthread_join(worker, nullptr);
  pthread_attr_destroy(&attributes);
  return request.status;
}
