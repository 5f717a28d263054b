// The command line of zosim: the program file, the node, where the inputs
// come from, what is printed and checked, and the help and version texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "simCompile.h"

struct sim_settings {
  std::string file;                   // "-" for standard input
  std::string node;                   // empty: the MAIN node, else the last
  std::string input;                  // the CSV of inputs; empty: none given
  std::optional<std::uint64_t> seed;  // --random
  std::optional<std::uint64_t> steps;
  bool all = false;
  std::string vcd;  // empty: no dump
  bool check = false;
  std::string compare;  // the second program; empty: none
  std::string node2;
  double tolerance = 0;
  sim_options options;
};

/// The settings of the arguments (argv[0] is the program's path), or the
/// exit status when the command line ends the run: 0 after --help or
/// --version, printed on standard output; 2 after a usage error, printed on
/// standard error.
std::optional<int> parse_sim_arguments(int argc, const char* const* argv,
                                       sim_settings& settings);

/// The text that --help prints.
std::string sim_help();
