// The command line of zocheck: its options, the files to check, and the help
// and version texts.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct check_settings {
  bool json = false;                // one JSON object a diagnostic
  bool warnings_as_errors = false;  // -Werror
  bool unused_warnings = true;      // -Wno-unused turns them off
  std::vector<std::string> files;   // "-" for standard input; none: "-"
};

/// The settings of the arguments (argv[0] is the program's path), or the
/// exit status when the command line ends the run: 0 after --help or
/// --version, printed on standard output; 2 after a usage error, printed on
/// standard error.
std::optional<int> parse_check_arguments(int argc, const char* const* argv,
                                         check_settings& settings);

/// The text that --help prints.
std::string check_help();
