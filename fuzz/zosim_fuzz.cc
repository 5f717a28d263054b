// The simulator's fuzzing target, fed with the inputs of the structure-aware
// target: the bytes are the choices of the program generator, made into the
// same program, and zosim runs every node of it on 20 random steps with
// functions uninterpreted, printing every flow and property, writing a Value
// Change Dump, and checking the properties. A run must keep these properties:
//   status      0, or 1 with an error that names its place or a false
//               assertion, a false property or a division by zero, never
//               a fatal error;
//   replay      the inputs of the printed trace, given back as a CSV file,
//               make the same trace, without error: every value printed reads
//               back to itself;
//   same        the program compared with itself agrees at every step.
// A broken property aborts with its name, the program and what zosim said.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzRun.h"
#include "generatedProgram.h"
#include "simFuzzRun.h"

namespace {

sim_fuzz::memory_file* program_file = nullptr;
sim_fuzz::memory_file* inputs_file = nullptr;

[[noreturn]] void finding(std::string_view what, std::string_view program,
                          const sim_fuzz::outcome& result) {
  std::fprintf(stderr,
               "\nFINDING: %.*s (status %d)\n--- program:\n%.*s\n--- standard output:\n"
               "%.*s\n--- standard error:\n%s\n",
               static_cast<int>(what.size()), what.data(), result.status,
               static_cast<int>(program.size()), program.data(),
               static_cast<int>(result.out.size()), result.out.data(),
               result.err.c_str());
  std::abort();
}

// An error zosim reports: a line "FILE:LINE:COL: error: ..." or one of its
// own run-time messages, and no fatal error.
bool reported(const sim_fuzz::outcome& result) {
  if (result.err.find("fatal error") != std::string::npos) return false;
  return result.err.find(": error: ") != std::string::npos ||
         result.err.find("zosim: ") != std::string::npos;
}

void check_status(std::string_view what, std::string_view program,
                  const sim_fuzz::outcome& result) {
  if (result.status == 0) return;
  if (result.status != 1 || !reported(result)) finding(what, program, result);
}

// The CSV of the first `inputs` columns of a trace, the step column left out.
std::string input_columns(std::string_view trace, std::size_t inputs) {
  std::string csv;
  while (!trace.empty()) {
    std::size_t end = trace.find('\n');
    std::string_view line = trace.substr(0, end);
    trace = end == std::string_view::npos ? std::string_view() : trace.substr(end + 1);
    std::size_t start = line.find(',') + 1, stop = start;
    for (std::size_t column = 0; column < inputs && stop != std::string_view::npos;
         ++column)
      stop = line.find(',', stop + (column == 0 ? 0 : 1));
    csv.append(
        line.substr(start, stop == std::string_view::npos ? line.npos : stop - start));
    csv += '\n';
  }
  return csv;
}

void check_node(std::string_view program, const char* path, const std::string& node,
                std::size_t inputs) {
  sim_fuzz::outcome drawn =
      sim_fuzz::run({"--all", "--vcd", "/dev/null", "--random", "1", "--steps", "20",
                     "--uninterpreted", "--node", node.c_str(), path});
  check_status("status", program, drawn);
  if (drawn.status != 0 && drawn.err.find("assertion false") == std::string::npos) return;
  std::string trace(drawn.out);
  // The program's inputs are its first columns after the step number.
  std::string csv = input_columns(trace, inputs);
  sim_fuzz::outcome replayed =
      sim_fuzz::run({"--all", "--input", inputs_file->hold(csv), "--uninterpreted",
                     "--node", node.c_str(), path});
  // The row of a step whose assertion is false is not printed: the replay
  // runs the steps before it, and succeeds.
  if (replayed.status != 0 || replayed.out != trace)
    finding("replay of\n" + csv + "--- first trace:\n" + trace, program, replayed);

  sim_fuzz::outcome same = sim_fuzz::run({"--compare", path, "--random", "2", "--steps",
                                          "20", "--uninterpreted", "--node", node.c_str(),
                                          "--node2", node.c_str(), path});
  if (same.status != 0) finding("same", program, same);

  sim_fuzz::outcome checked =
      sim_fuzz::run({"--check", "--random", "3", "--steps", "20", "--uninterpreted",
                     "--node", node.c_str(), path});
  check_status("status with --check", program, checked);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_run::start(true);
  sim_fuzz::start();
  program_file = new sim_fuzz::memory_file;
  inputs_file = new sim_fuzz::memory_file;
  return 0;
}

// Every node of the program the structure-aware target makes of the bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  generated_program made = generated_program_of({data, size});
  const std::string& program = made.text;
  const std::vector<std::string>& node_names = made.node_names;
  auto check = [&] {
    const char* path = program_file->hold(program);
    // Every generated node has the same four inputs.
    for (const std::string& name : node_names) check_node(program, path, name, 4);
  };
  fuzz_run::on_work_thread(check);
  return 0;
}
