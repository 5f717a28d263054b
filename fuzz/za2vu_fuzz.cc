// The fuzzing target: the first byte of an input chooses the options, the
// second a variant of the option's value, and the rest is the zo text, read on
// standard input. The program runs in the process; its standard output is
// thrown away, and its standard error stream is kept to check the shape of the
// diagnostic (the fuzzer and the sanitizers keep writing to descriptor 2). Any
// other status, an unknown failure, or an arena that grows beyond a fixed
// multiple of the input aborts, which the fuzzer reports.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzRun.h"

namespace {

enum class value { none, node, identifier };

struct mode {
  std::vector<const char*> options;
  value takes = value::none;
  bool verbose = false;
};

const std::array<mode, 21> modes = {{
    {{"-tlex"}},
    {{"-tparse"}},
    {{}},
    {{"-simp"}},
    {{"-flat"}, value::node},
    {{"-clean"}},
    {{"-cleanall"}},
    {{"-k2quelm"}, value::identifier},
    {{"-usrint"}},
    {{"-usrreal"}},
    {{"-usrbool"}},
    {{"-v"}, value::none, true},
    {{"-vv"}, value::none, true},
    {{"-simp", "-usrint"}},
    {{"-vv", "-k2quelm"}, value::identifier, true},
    {{"-v", "-simp", "-usrreal"}, value::none, true},
    {{"-usrreal", "-usrbool", "-flat"}, value::node},
    {{"-cleanall", "-usrint", "-usrbool"}},
    {{"-usrint", "-k2quelm"}, value::identifier},
    {{"-vv", "-tlex"}, value::none, true},
    {{"-v", "-clean", "-usrbool"}, value::none, true},
}};

// The arena may hold this much, plus this many bytes per input byte.
constexpr std::size_t arena_base = std::size_t{8} << 20;
constexpr std::size_t arena_per_byte = 1024;

[[noreturn]] void finding(const std::string& what, int status, std::string_view err) {
  std::fprintf(stderr, "\nFINDING: %s (status %d), standard error:\n%.*s\n", what.c_str(),
               status, static_cast<int>(err.size()), err.data());
  std::abort();
}

bool is_letter(char c) {
  return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_word(char c) { return is_letter(c) || (c >= '0' && c <= '9'); }

// The identifiers of the text, in order, each with the word before it.
std::vector<std::pair<std::string_view, std::string_view>> words(std::string_view text) {
  std::vector<std::pair<std::string_view, std::string_view>> found;
  std::string_view previous;
  for (std::size_t i = 0; i < text.size();) {
    if (!is_letter(text[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && is_word(text[i])) ++i;
    std::string_view word = text.substr(start, i - start);
    found.push_back({previous, word});
    previous = word;
  }
  return found;
}

// The values tried for the option: every node declared, or one identifier.
std::vector<std::string> values_for(value takes, std::uint8_t variant,
                                    std::string_view text) {
  auto identifiers = words(text);
  std::vector<std::string> values;
  if (takes == value::node) {
    for (auto [before, word] : identifiers)
      if (before == "node" && values.size() < 4) values.emplace_back(word);
    if (values.empty()) values.emplace_back("N");
    return values;
  }
  if (variant % 2 == 0 || identifiers.empty()) return {"quelm"};
  return {std::string(identifiers[(variant / 2) % identifiers.size()].second)};
}

bool starts(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The failures the program reports with status 2 after the command line.
bool known_fatal(std::string_view line) {
  constexpr std::string_view prefix = "za2vu: fatal error: ";
  if (!starts(line, prefix)) return false;
  line.remove_prefix(prefix.size());
  for (std::string_view name :
       {"Clock_error: ", "Division_by_zero: ", "Lexical_error: ", "Type_error: "})
    if (starts(line, name)) return true;
  return false;
}

bool valid_diagnostic(std::string_view text, int status) {
  if (text.empty() || text.back() != '\n') return false;
  if (status == 2) return known_fatal(text) && text.find('\n') == text.size() - 1;
  return starts(text, "Error. ") || starts(text, "Sorry, Internal Error. function ") ||
         starts(text, "Error: unexpected param after -k2quelm option: ");
}

constexpr std::string_view diagnostic_starts[] = {
    "Error. ", "Sorry, Internal Error. function ", "Error: unexpected param",
    "za2vu: fatal error: "};

// Only the statuses and diagnostics that the program is meant to give. The
// progress messages of -v and -vv stand before the diagnostic, which is then
// looked for at the last place where one starts.
void check_outcome(int status, std::string_view err, bool verbose) {
  if (status == 0) {
    if (!verbose && !err.empty()) finding("success with a diagnostic", status, err);
    return;
  }
  if (status != 1 && status != 2) finding("unknown status", status, err);
  if (!verbose) {
    if (!valid_diagnostic(err, status)) finding("unknown diagnostic", status, err);
    return;
  }
  for (std::string_view start : diagnostic_starts) {
    std::size_t at = err.rfind(start);
    if (at != std::string_view::npos && valid_diagnostic(err.substr(at), status)) return;
  }
  finding("unknown diagnostic", status, err);
}

void run_once(const mode& chosen, const std::string* option_value,
              std::string_view text) {
  std::vector<const char*> options(chosen.options.begin(), chosen.options.end());
  if (option_value != nullptr) options.push_back(option_value->c_str());
  fuzz_run::outcome result = fuzz_run::run(options, text);
  check_outcome(result.status, result.err, chosen.verbose);
  if (result.arena_reserved > arena_base + arena_per_byte * text.size())
    finding("arena beyond its bound: " + std::to_string(result.arena_reserved),
            result.status, result.err);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_run::start(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const mode& chosen = modes[data[0] % modes.size()];
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  auto runs = [&] {
    if (chosen.takes == value::none) {
      run_once(chosen, nullptr, text);
      return;
    }
    for (const std::string& option_value : values_for(chosen.takes, data[1], text))
      run_once(chosen, &option_value, text);
  };
  fuzz_run::on_work_thread(runs);
  return 0;
}
