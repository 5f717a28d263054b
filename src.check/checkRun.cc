#include "checkRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "checkDiag.h"
#include "checkFile.h"
#include "errorPrint.h"
#include "errors.h"
#include "output.h"

namespace {

// A failure of the program itself, already reported: the run ends with
// status 2.
struct run_failed {};

// Reports a failure about one file: on standard error as "zocheck: TEXT", or
// with --json as one diagnostic without place on standard output, so that
// what reads the JSON sees every outcome.
void report_failure(const check_settings& settings, const std::string& file,
                    const char* code, const std::string& text) {
  if (settings.json) {
    print_json(file, diagnostic{{}, severity::error, code, text, {}});
    return;
  }
  output::flush();
  print_system_error("zocheck: " + text);
}

// Checks one named file, or standard input for "-"; false when it cannot be
// opened or read. A failure of the program is reported about the file and
// ends the run.
bool check_named(const std::string& name, const check_settings& settings,
                 check_counts& total, zo_run& run) {
  bool standard = name == "-";
  std::string shown = standard ? "<stdin>" : name;
  int fd = standard ? 0 : ::open(name.c_str(), O_RDONLY);
  if (fd < 0) {
    report_failure(settings, shown, "unreadable", name + ": " + std::strerror(errno));
    return false;
  }
  struct closed_at_end {
    int fd;
    ~closed_at_end() {
      if (fd != 0) ::close(fd);
    }
  } closed{fd};
  try {
    check_counts counts =
        check_file({standard ? "standard input" : name, fd}, shown, settings, run);
    total.errors += counts.errors;
    total.warnings += counts.warnings;
    return true;
  } catch (const System_error& failure) {
    report_failure(settings, shown, "unreadable", failure.message);
    return false;
  } catch (const Fatal_error& failure) {
    report_failure(settings, shown, "fatal",
                   std::string("fatal error: ") + failure.name() + ": " + failure.what());
  } catch (const std::bad_alloc&) {
    report_failure(settings, shown, "fatal",
                   "fatal error: the input needs more memory than is available");
  }
  throw run_failed{};
}

}  // namespace

int run_check(int argc, const char* const* argv) {
  zo_run run;
  return run_check(argc, argv, run);
}

int run_check(int argc, const char* const* argv, zo_run& run) {
  try {
    check_settings settings;
    if (std::optional<int> status = parse_check_arguments(argc, argv, settings)) {
      output::flush();
      return *status;
    }
    check_counts total;
    bool all_read = true;
    for (const std::string& name : settings.files)
      all_read = check_named(name, settings, total, run) && all_read;
    if (!settings.json && total.errors + total.warnings > 0)
      output::write(count_line(total.errors, total.warnings) + "\n");
    output::flush();
    return all_read && total.errors == 0 ? 0 : 1;
  } catch (const run_failed&) {
    output::flush();
  } catch (const Fatal_error& failure) {
    output::flush();
    print_system_error(std::string("zocheck: fatal error: ") + failure.name() + ": " +
                       failure.what());
  } catch (const std::bad_alloc&) {
    output::flush();
    print_system_error(
        "zocheck: fatal error: the input needs more memory than is available");
  } catch (const System_error& failure) {
    print_system_error("zocheck: " + failure.message);
  }
  return 2;
}
