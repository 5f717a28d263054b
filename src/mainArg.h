// The command line: the option table, the settings it gives, the usage text.
#pragma once

#include <optional>
#include <string>

#include "verbose.h"
#include "xzoUsrOps.h"

namespace main_arg {

/// The settings of one run, as the command line gives them.
struct options {
  bool test_lex = false;
  bool test_parse = false;
  bool simplify = false;
  bool flat = false;
  std::string flat_node;
  bool usr_int = false;
  bool usr_real = false;
  bool usr_bool = false;
  bool cleanup = false;
  bool cleanall = false;
  /// The node name given to -k2quelm, if it was given.
  std::optional<std::string> kind2quelm;
  /// The input file name; empty for standard input.
  std::string infile;
  /// What -v or -vv asks to be shown on standard error.
  verbosity verbose;

  /// The user modes the package is printed in.
  user_modes modes() const { return {usr_int, usr_real, usr_bool}; }
};

/// Parses the process arguments into `settings`. Returns the exit status when the command
/// line ends the run here (-version, -help, or an error whose text has been written),
/// nothing when the run goes on.
std::optional<int> parse(int argc, const char* const argv[], options& settings);

/// The usage text: the usage message, then one line per option.
std::string usage();

}  // namespace main_arg
