#include "checkArg.h"

#include <string_view>

#include "errorPrint.h"
#include "errors.h"
#include "output.h"

std::string check_help() {
  return "Usage: zocheck [OPTION]... [FILE]...\n"
         "Check zo programs and report every error with its place.\n"
         "With no FILE, or when FILE is -, read standard input.\n"
         "\n"
         "      --json         print each diagnostic as one JSON object a line\n"
         "  -Werror            make every warning an error\n"
         "  -Wno-unused        do not warn about unused inputs and locals\n"
         "      --help         display this help and exit\n"
         "      --version      output version information and exit\n"
         "\n"
         "Exit status: 0 if no file has an error, 1 if one has, 2 on a usage error.\n";
}

std::optional<int> parse_check_arguments(int argc, const char* const* argv,
                                         check_settings& settings) {
  bool options_ended = false;
  for (int position = 1; position < argc; ++position) {
    std::string_view argument = argv[position];
    if (options_ended || argument == "-" || !argument.starts_with("-")) {
      settings.files.emplace_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help") {
      output::write(check_help());
      return 0;
    } else if (argument == "--version") {
      output::write("zocheck 1.0\n");
      return 0;
    } else if (argument == "--json") {
      settings.json = true;
    } else if (argument == "-Werror") {
      settings.warnings_as_errors = true;
    } else if (argument == "-Wno-unused") {
      settings.unused_warnings = false;
    } else if (argument == "-Wunused") {
      settings.unused_warnings = true;
    } else {
      print_system_error("zocheck: unrecognized option '" + std::string(argument) +
                         "'\nTry 'zocheck --help' for more information.");
      return 2;
    }
  }
  if (settings.files.empty()) settings.files.emplace_back("-");
  return std::nullopt;
}
