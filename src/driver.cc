// The program: parses the command line, chooses the input, runs exactly one
// mode, and turns every failure that reaches it into a diagnostic and an exit
// status (0 success, 1 reported error, 2 command-line or unhandled failure).
#include "driver.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "cleanup.h"
#include "errors.h"
#include "flat.h"
#include "kind2Quelm.h"
#include "mainArg.h"
#include "output.h"
#include "simplify.h"
#include "stack_room.h"
#include "xzo.h"
#include "xzoDump.h"
#include "xzoUsrOps.h"

namespace {

input_channel open_input() {
  const std::string& name = main_arg::infile();
  if (name.empty()) return {"standard input", 0};
  int fd = ::open(name.c_str(), O_RDONLY);
  if (fd < 0) throw System_error{name + ": " + std::strerror(errno)};
  return {name, fd};
}

// A file opened for the run is closed when the run ends, however it ends.
struct closing_input {
  const input_channel& input;
  ~closing_input() {
    if (input.fd != 0) ::close(input.fd);
  }
};

// The mode chosen by the first setting that holds, in a fixed order. Every
// mode after -tparse works on the package read.
void run_mode(const input_channel& input) {
  if (main_arg::test_lex()) {
    lexemize(input);
    return;
  }
  package& pack = read(input).pack;
  if (main_arg::test_parse()) return;
  if (main_arg::simplify()) {
    simplify_package(pack);
    return;
  }
  if (main_arg::flat()) {
    flat_node_in_package(main_arg::flat_node(), pack);
    return;
  }
  if (main_arg::cleanup()) {
    set_cleanall(false);
    cleanup_package(pack);
    return;
  }
  if (main_arg::cleanall()) {
    set_cleanall(true);
    cleanup_package(pack);
    return;
  }
  if (main_arg::kind2quelm()) {
    kind2_quelm::doit(pack, *main_arg::kind2quelm());
    return;
  }
  dump_pack(pack);
}

int run(int argc, const char* const* argv) {
  try {
    if (std::optional<int> status = main_arg::parse(argc, argv)) {
      output::flush();
      return *status;
    }
    usr_int_mode = main_arg::usr_int();
    usr_real_mode = main_arg::usr_real();
    usr_bool_mode = main_arg::usr_bool();
    input_channel input = open_input();
    closing_input closing{input};
    run_mode(input);
    output::flush();
    return 0;
  } catch (const System_error& failure) {
    print_system_error(failure.message);
  } catch (const Global_error& failure) {
    print_global_error(failure.message);
  } catch (const Syntax_error&) {
    print_compile_error(last_made(), "syntax error");
  } catch (const Compile_error& failure) {
    print_compile_error(failure.position, failure.message);
  } catch (const Internal_error& failure) {
    print_internal_error(failure.function, failure.message);
  } catch (const Fatal_error& failure) {
    print_fatal_error(failure.name(), failure.what());
    return 2;
  } catch (const std::bad_alloc&) {
    print_fatal_error("Out_of_memory", "the input needs more memory than is available");
    return 2;
  } catch (const std::exception& failure) {
    print_fatal_error("Failure", failure.what());
    return 2;
  } catch (...) {
    print_fatal_error("Unknown_failure", "an unexpected failure");
    return 2;
  }
  return 1;
}

// Every module may recurse over trees as deep as the input nests, so the work
// runs on a thread whose stack holds 100000 levels and more; the main thread
// only waits for it. Without that stack (an address-space limit leaves no room
// for it) the work does not start: on the main thread's small stack a deep
// input would overflow it.
struct run_request {
  int argc;
  const char* const* argv;
  int status;
};

void* run_on_worker(void* request) {
  auto* work = static_cast<run_request*>(request);
  keep_stack_room();
  work->status = run(work->argc, work->argv);
  return nullptr;
}

}  // namespace

// What the deepest recursion leaves below itself: room for the calls that do
// not recurse, for unwinding and for printing the diagnostic.
constexpr std::size_t stack_margin = std::size_t{16} << 20;

void keep_stack_room() {
  pthread_attr_t attributes;
  void* lowest = nullptr;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  if (pthread_attr_getstack(&attributes, &lowest, &size) == 0 && size > stack_margin)
    stack_room::keep_above(lowest, stack_margin);
  pthread_attr_destroy(&attributes);
}

int run_on_this_thread(int argc, const char* const* argv) { return run(argc, argv); }

int run_program(int argc, const char* const* argv) {
  run_request request{argc, argv, 2};
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
