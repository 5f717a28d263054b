// The program: parses the command line, chooses the input, runs exactly one
// mode, and turns every failure that reaches it into a diagnostic and an exit
// status (0 success, 1 reported error, 2 command-line or unhandled failure).
#include "driver.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "cleanup.h"
#include "errorPrint.h"
#include "errors.h"
#include "flat.h"
#include "kind2Quelm.h"
#include "mainArg.h"
#include "output.h"
#include "simplify.h"
#include "typingMessages.h"
#include "workStack.h"
#include "xzo.h"
#include "xzoDump.h"
#include "xzoLexer.h"
#include "xzoRun.h"
#include "xzoUsrOps.h"

namespace {

input_channel open_input(const std::string& name) {
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

// The transformation chosen by the first setting that holds, in a fixed
// order, on the package read; none for -tlex and -tparse.
void run_mode_on(zo_run& run, const main_arg::options& settings) {
  if (settings.test_parse) return;
  package& pack = run.pack();
  user_modes modes = settings.modes();
  if (settings.simplify) {
    simplify_package(pack, modes, settings.verbose);
    return;
  }
  if (settings.flat) {
    flat_node_in_package(settings.flat_node, pack, modes);
    return;
  }
  if (settings.cleanup) {
    cleanup_package(pack, false, modes);
    return;
  }
  if (settings.cleanall) {
    cleanup_package(pack, true, modes);
    return;
  }
  if (settings.kind2quelm) {
    kind2_quelm::reading_trace trace{settings.verbose, run.last_made()};
    kind2_quelm::doit(pack, *settings.kind2quelm, modes, trace);
    return;
  }
  dump_pack(pack, modes);
}

// The mode chosen by the settings: -tlex lists the tokens, every other mode
// works on the package read.
void run_mode(const input_channel& input, zo_run& run,
              const main_arg::options& settings) {
  bool trace_lines = settings.verbose.shown(2);
  if (settings.test_lex) {
    lexemize(input, trace_lines);
    return;
  }
  read(input, run, trace_lines);
  run_mode_on(run, settings);
}

// Parses the command line and runs `mode` on the settings it gives, turning
// every failure that reaches it into a diagnostic and an exit status.
template <typename Mode>
int run_guarded(int argc, const char* const* argv, Mode mode) {
  try {
    main_arg::options settings;
    if (std::optional<int> status = main_arg::parse(argc, argv, settings)) {
      output::flush();
      return *status;
    }
    mode(settings);
    output::flush();
    return 0;
  } catch (const System_error& failure) {
    print_system_error(failure.message);
  } catch (const Global_error& failure) {
    print_global_error(failure.message);
  } catch (const Syntax_error& failure) {
    print_compile_error(failure.position, "syntax error");
  } catch (const Compile_error& failure) {
    print_compile_error(failure.position, failure.message);
  } catch (const Internal_error& failure) {
    print_internal_error(failure.function, failure.message);
  } catch (const Typing_failure& failure) {
    typing_report report = report_of(failure);
    switch (report.shown_as) {
      case typing_report::form::error: print_global_error(report.message); break;
      case typing_report::form::internal:
        print_internal_error(report.name, report.message);
        break;
      case typing_report::form::fatal:
        print_fatal_error(report.name, report.message);
        return 2;
    }
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

// One run of the program, made and gone with the call.
int run_once(int argc, const char* const* argv) {
  zo_run run;
  return run_on_this_thread(argc, argv, run);
}

}  // namespace

int run_on_this_thread(int argc, const char* const* argv, zo_run& run) {
  return run_guarded(argc, argv, [&](const main_arg::options& settings) {
    input_channel input = open_input(settings.infile);
    closing_input closing{input};
    run_mode(input, run, settings);
  });
}

int run_on_package_read(int argc, const char* const* argv, zo_run& run) {
  return run_guarded(
      argc, argv, [&](const main_arg::options& settings) { run_mode_on(run, settings); });
}

int run_program(int argc, const char* const* argv) {
  return run_on_work_stack(run_once, argc, argv);
}
