// The command line: the option table, the settings it stores, the usage text.
#pragma once

#include <optional>
#include <string>

namespace main_arg {

/// Parses the process arguments, storing every setting. Returns the exit status
/// when the command line ends the run here (-version, -help, or an error whose
/// text has been written), nothing when the run goes on.
std::optional<int> parse(int argc, const char* const argv[]);

/// Forgets every setting, as at the start of the process.
void reset();

/// The usage text: the usage message, then one line per option.
std::string usage();

bool test_lex();
bool test_parse();
bool simplify();
bool flat();
const std::string& flat_node();
bool usr_int();
bool usr_real();
bool usr_bool();
bool cleanup();
bool cleanall();
/// The node name given to -k2quelm, if it was given.
const std::optional<std::string>& kind2quelm();
/// The input file name; empty for standard input.
const std::string& infile();

}  // namespace main_arg
