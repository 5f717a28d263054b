#include "simArg.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "errors.h"
#include "output.h"

std::string sim_help() {
  return "Usage: zosim [OPTION]... FILE\n"
         "Run a node of a zo program step by step and print its flows as CSV.\n"
         "With FILE -, read the program from standard input.\n"
         "\n"
         "      --node NAME       run node NAME (default: the node annotated MAIN,\n"
         "                        else the last node declared)\n"
         "      --input CSV       read the inputs from CSV (default: standard input)\n"
         "      --random SEED     draw the inputs at random from SEED\n"
         "      --steps N         run at most N steps (with --random: N, default 10)\n"
         "      --all             print every flow and property, not only the outputs\n"
         "      --vcd FILE        also write the trace as a Value Change Dump\n"
         "      --check           stop at the first false property\n"
         "      --const NAME=VALUE  give the constant NAME that value\n"
         "      --uninterpreted   give functions, external constants and values of\n"
         "                        external types fixed values\n"
         "      --compare FILE2   compare the outputs with those of FILE2's node\n"
         "      --node2 NAME      the node of FILE2 (default as for FILE)\n"
         "      --tolerance T     accept a relative difference of reals up to T\n"
         "      --help            display this help and exit\n"
         "      --version         output version information and exit\n"
         "\n"
         "Exit status: 0 on success, 1 on an error of the program or its inputs, a\n"
         "false assertion, a false property with --check or a difference with\n"
         "--compare, 2 on a usage error.\n";
}

namespace {

int usage_error(const std::string& message) {
  print_system_error("zosim: " + message + "\nTry 'zosim --help' for more information.");
  return 2;
}

std::optional<std::uint64_t> parse_count(std::string_view text) {
  std::uint64_t n = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return n;
}

}  // namespace

std::optional<int> parse_sim_arguments(int argc, const char* const* argv,
                                       sim_settings& settings) {
  bool options_ended = false;
  bool has_file = false;
  for (int position = 1; position < argc; ++position) {
    std::string_view argument = argv[position];
    if (options_ended || argument == "-" || !argument.starts_with("-")) {
      if (has_file)
        return usage_error("one program file only: '" + std::string(argument) + "'");
      settings.file = argument;
      has_file = true;
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    if (argument == "--help") {
      output::write(sim_help());
      return 0;
    }
    if (argument == "--version") {
      output::write("zosim 1.0\n");
      return 0;
    }
    if (argument == "--all") {
      settings.all = true;
      continue;
    }
    if (argument == "--check") {
      settings.check = true;
      continue;
    }
    if (argument == "--uninterpreted") {
      settings.options.uninterpreted = true;
      continue;
    }
    // The options with a value: "--name VALUE" or "--name=VALUE".
    std::string_view name = argument;
    std::optional<std::string_view> given;
    if (std::size_t equals = argument.find('='); equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      given = argument.substr(equals + 1);
    }
    static constexpr std::string_view valued[] = {
        "--node",  "--input",   "--random", "--steps",     "--vcd",
        "--const", "--compare", "--node2",  "--tolerance",
    };
    bool known = false;
    for (std::string_view option : valued) known = known || option == name;
    if (!known) return usage_error("unrecognized option '" + std::string(argument) + "'");
    if (!given) {
      if (position + 1 >= argc)
        return usage_error("option '" + std::string(name) + "' requires an argument");
      given = argv[++position];
    }
    std::string text(*given);
    if (name == "--node") {
      settings.node = text;
    } else if (name == "--input") {
      settings.input = text;
    } else if (name == "--random" || name == "--steps") {
      std::optional<std::uint64_t> n = parse_count(text);
      if (!n)
        return usage_error("option '" + std::string(name) +
                           "' wants a non-negative integer, not '" + text + "'");
      (name == "--random" ? settings.seed : settings.steps) = n;
    } else if (name == "--vcd") {
      settings.vcd = text;
    } else if (name == "--const") {
      std::size_t equals = text.find('=');
      if (equals == std::string::npos || equals == 0)
        return usage_error("option '--const' wants NAME=VALUE, not '" + text + "'");
      settings.options.constants.emplace_back(text.substr(0, equals),
                                              text.substr(equals + 1));
    } else if (name == "--compare") {
      settings.compare = text;
    } else if (name == "--node2") {
      settings.node2 = text;
    } else {
      char* end = nullptr;
      settings.tolerance = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(settings.tolerance >= 0) ||
          std::isinf(settings.tolerance))
        return usage_error("option '--tolerance' wants a non-negative number, not '" +
                           text + "'");
    }
  }
  if (!has_file) return usage_error("no program file given");
  if (settings.file == "-" && settings.input.empty() && !settings.seed)
    return usage_error(
        "the program is read from standard input: give the inputs with --input or "
        "--random");
  if (settings.seed && !settings.input.empty())
    return usage_error("--random and --input cannot be given together");
  if (!settings.node2.empty() && settings.compare.empty())
    return usage_error("--node2 needs --compare");
  if (settings.input == "-" && settings.file == "-")
    return usage_error("the program and the inputs cannot both be standard input");
  settings.options.inputs_from_assertions = settings.seed.has_value();
  return std::nullopt;
}
