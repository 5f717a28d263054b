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

// Checks one named file, or standard input for "-"; false when it cannot be
// opened or read.
bool check_named(const std::string& name, const check_settings& settings,
                 check_counts& total) {
  bool standard = name == "-";
  int fd = standard ? 0 : ::open(name.c_str(), O_RDONLY);
  if (fd < 0) {
    output::flush();
    print_system_error("zocheck: " + name + ": " + std::strerror(errno));
    return false;
  }
  bool read = true;
  try {
    check_counts counts = check_file({standard ? "standard input" : name, fd},
                                     standard ? "<stdin>" : name, settings);
    total.errors += counts.errors;
    total.warnings += counts.warnings;
  } catch (const System_error& failure) {
    output::flush();
    print_system_error("zocheck: " + failure.message);
    read = false;
  }
  if (!standard) ::close(fd);
  return read;
}

}  // namespace

int run_check(int argc, const char* const* argv) {
  try {
    check_settings settings;
    if (std::optional<int> status = parse_check_arguments(argc, argv, settings)) {
      output::flush();
      return *status;
    }
    check_counts total;
    bool all_read = true;
    for (const std::string& name : settings.files)
      all_read = check_named(name, settings, total) && all_read;
    if (!settings.json && total.errors + total.warnings > 0)
      output::write(count_line(total.errors, total.warnings) + "\n");
    output::flush();
    return all_read && total.errors == 0 ? 0 : 1;
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
