// The fuzzing target of zocheck: the first byte of an input chooses the
// options, the second is left unused so that the seeds of za2vu's target
// serve, and the rest is the zo text, read on standard input. zocheck is made
// for bad input: whatever the text, it must end with status 0 or 1, write
// nothing on standard error, report an error exactly when its status is 1,
// and keep its arena within a fixed multiple of the input.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "checkRun.h"
#include "fuzzRun.h"

namespace {

const std::array<std::vector<const char*>, 4> option_sets = {{
    {},
    {"--json"},
    {"-Wno-unused"},
    {"--json", "-Werror"},
}};

constexpr std::size_t arena_base = std::size_t{8} << 20;
constexpr std::size_t arena_per_byte = 1024;

[[noreturn]] void finding(const std::string& what, const fuzz_run::outcome& result) {
  std::fprintf(stderr, "\nFINDING: %s (status %d), standard error:\n%.*s\n", what.c_str(),
               result.status, static_cast<int>(result.err.size()), result.err.data());
  std::abort();
}

// Whether the output reports an error, in either form.
bool reports_error(std::string_view out, bool json) {
  if (json) return out.find("\"severity\": \"error\"") != std::string_view::npos;
  return out.find(": error: ") != std::string_view::npos;
}

void check_outcome(const fuzz_run::outcome& result, bool json) {
  if (result.status != 0 && result.status != 1) finding("unexpected status", result);
  if (!result.err.empty()) finding("a failure on standard error", result);
  if (reports_error(result.out, json) != (result.status == 1))
    finding("status and errors reported disagree", result);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_run::start(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::vector<const char*>& options = option_sets[data[0] % option_sets.size()];
  bool json = options.size() > 0 && std::string_view(options[0]) == "--json";
  std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  auto runs = [&] {
    fuzz_run::outcome result = fuzz_run::run(options, text, run_check);
    check_outcome(result, json);
    if (result.arena_reserved > arena_base + arena_per_byte * text.size())
      finding("arena beyond its bound: " + std::to_string(result.arena_reserved), result);
  };
  fuzz_run::on_work_thread(runs);
  return 0;
}
