#include "mainArg.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "output.h"
#include "verbose.h"
#include "xzoLexer.h"

namespace main_arg {

namespace {

const std::string program_name = "za2vu";
const std::string version = "1.0";
const std::string usage_message = program_name + " " + version +
                                  "\nusage: " + program_name + " [options] <file> | " +
                                  program_name + " -help";

enum class arity { flag, takes_value };

struct option {
  std::string_view name;
  arity kind;
  std::string_view help;
  // Runs the action on the settings; the value is empty for a flag. Returns
  // the exit status when the run must end here.
  std::optional<int> (*action)(options& settings, const std::string& value);
};

std::optional<int> set_true(bool& setting) {
  setting = true;
  return std::nullopt;
}

bool is_letter(char c) {
  return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The name given to -k2quelm is printed as a node name, so it must be one
// identifier and no keyword: a line break, anything after it or a keyword
// would break the program printed.
bool is_node_name(const std::string& value) {
  if (value.empty() || !is_letter(value[0])) return false;
  return std::all_of(value.begin() + 1, value.end(),
                     [](char c) { return is_letter(c) || (c >= '0' && c <= '9'); }) &&
         !is_keyword(value);
}

std::optional<int> print_usage(options&, const std::string&);

const option option_table[] = {
    {"-version", arity::flag, "  print the current version then exit",
     [](options&, const std::string&) -> std::optional<int> {
       output::write(version);
       return 0;
     }},
    {"-v", arity::flag, "  set verbose mode",
     [](options& settings, const std::string&) -> std::optional<int> {
       settings.verbose = verbosity(1);
       return std::nullopt;
     }},
    {"-vv", arity::flag, "  set verbose mode",
     [](options& settings, const std::string&) -> std::optional<int> {
       settings.verbose = verbosity(2);
       return std::nullopt;
     }},
    {"-tlex", arity::flag, "  test lexical analysis",
     [](options& settings, const std::string&) { return set_true(settings.test_lex); }},
    {"-tparse", arity::flag, "  test syntactic analysis",
     [](options& settings, const std::string&) { return set_true(settings.test_parse); }},
    {"-simp", arity::flag, "  static simplification",
     [](options& settings, const std::string&) { return set_true(settings.simplify); }},
    {"-flat", arity::takes_value,
     "  <node> introduce an equation for each operator in node",
     [](options& settings, const std::string& value) {
       settings.flat_node = value;
       return set_true(settings.flat);
     }},
    {"-usrint", arity::flag,
     "  replace int operations by function calls (usrIntPlus etc)",
     [](options& settings, const std::string&) { return set_true(settings.usr_int); }},
    {"-usrreal", arity::flag,
     "  replace real operations by function calls (usrRealPlus etc)",
     [](options& settings, const std::string&) { return set_true(settings.usr_real); }},
    {"-usrbool", arity::flag,
     "  replace bool operations by function calls (usrBoolOr etc)",
     [](options& settings, const std::string&) { return set_true(settings.usr_bool); }},
    {"-clean", arity::flag, "   erase useless variables",
     [](options& settings, const std::string&) { return set_true(settings.cleanup); }},
    {"-cleanall", arity::flag, "   erase useless variables (including inputs)",
     [](options& settings, const std::string&) { return set_true(settings.cleanall); }},
    {"-k2quelm", arity::takes_value,
     "<id>   generate a quelm node <id> for the first node with kind2 pragmas "
     "MAIN/PROPERTY",
     [](options& settings, const std::string& value) -> std::optional<int> {
       if (!is_node_name(value)) {
         output::flush();
         std::fprintf(stderr, "Error: unexpected param after %s option: %s\n", "-k2quelm",
                      value.c_str());
         return 1;
       }
       settings.kind2quelm = value;
       return std::nullopt;
     }},
    {"-help", arity::flag, " Display this list of options", print_usage},
    {"--help", arity::flag, " Display this list of options", print_usage},
};

std::optional<int> print_usage(options&, const std::string&) {
  output::write(usage());
  return 0;
}

const option* find_option(std::string_view name) {
  for (const option& candidate : option_table)
    if (candidate.name == name) return &candidate;
  return nullptr;
}

// A command-line error: its first line, then the usage text, on standard error.
int reject(const std::string& first_line, int status) {
  output::flush();
  std::string text = first_line + usage();
  std::fwrite(text.data(), 1, text.size(), stderr);
  return status;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

std::string usage() {
  std::string text = usage_message + "\n";
  for (const option& each : option_table)
    text += "  " + std::string(each.name) + " " + std::string(each.help) + "\n";
  return text;
}

std::optional<int> parse(int argc, const char* const argv[], options& settings) {
  const std::string program_path = argv[0];
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument.empty() || argument[0] != '-') {
      if (!settings.infile.empty())
        return reject("unexpected argument \"" + argument + "\"\n", 1);
      settings.infile = argument;
      continue;
    }
    const option* found = find_option(argument);
    std::optional<std::string> attached;
    if (found == nullptr) {
      std::size_t equal = argument.find('=');
      if (equal != std::string::npos) {
        found = find_option(std::string_view(argument).substr(0, equal));
        attached = argument.substr(equal + 1);
      }
    }
    if (found == nullptr)
      return reject(program_path + ": unknown option " + quoted(argument) + ".\n", 2);
    std::string value;
    if (found->kind == arity::flag) {
      if (attached)
        return reject(program_path + ": wrong argument " + quoted(*attached) +
                          "; option " + quoted(argument) + " expects no argument.\n",
                      2);
    } else if (attached) {
      value = *attached;
    } else if (index + 1 < argc) {
      value = argv[++index];
    } else {
      return reject(
          program_path + ": option " + quoted(argument) + " needs an argument.\n", 2);
    }
    if (std::optional<int> ending = found->action(settings, value)) return ending;
  }
  return std::nullopt;
}

}  // namespace main_arg
