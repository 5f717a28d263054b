// The structure-aware fuzzing target: the input's bytes are the choices of the
// program generator, so that every input is a well-typed program, with the deep
// shapes in small sizes. The program goes through every mode, each of which
// must accept it, and the outputs must keep these properties:
//   readable    -tparse accepts every printed output that holds neither a field
//               access nor a call without arguments (both print as text that
//               does not read back);
//   reprint     printing the printed text gives the same bytes;
//   flat        -flat N of the output of -flat N is that output, for every node;
//   clean       -clean of the cleaned nodes (after the other declarations) gives
//               them back, and so does -cleanall;
//   cleanall    -cleanall keeps every output of every node, the body that -clean
//               keeps, and every input that this body reads;
//   interface   -simp prints every line outside node bodies as printing does;
//   resimp      -simp accepts its own output;
//   harness     -k2quelm prints the harness node, then the package as printing
//               does;
//   meaning     zosim, run on 20 random steps with functions uninterpreted,
//               finds every output of every node the same in the program and
//               in each readable result: printing, -simp, -clean, -cleanall,
//               -flat N for its node, and the harness for the node it is built
//               on (zosim lets a result give a value where the program's is
//               nil: it defines what was not yet defined); a node that zosim
//               does not run on its own (a division by zero at random) is
//               skipped.
// A mode that rejects the program, or a broken property, aborts with the name
// of what failed and both texts, which the fuzzer reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzRun.h"
#include "generatedProgram.h"
#include "programText.h"
#include "simFuzzRun.h"

namespace {

constexpr const char* harness = "harness_check";

[[noreturn]] void finding(std::string_view what, std::string_view first,
                          std::string_view second) {
  std::fprintf(stderr, "\nFINDING: %.*s\n--- first text:\n%.*s\n--- second text:\n%.*s\n",
               static_cast<int>(what.size()), what.data(), static_cast<int>(first.size()),
               first.data(), static_cast<int>(second.size()), second.data());
  std::abort();
}

// The finding of a mode that rejects the text: the text is the program, or
// for `readable` an output printed from it.
void check_accepted(const fuzz_run::outcome& result,
                    std::initializer_list<const char*> options, std::string_view text,
                    std::string_view failure) {
  if (result.status == 0) return;
  std::string what(failure);
  what += ':';
  for (const char* option : options) (what += ' ') += option;
  finding(what, text, result.err);
}

// The output of the mode on the text, which the mode must accept. Every
// output stays valid for the whole program's check.
std::string_view output_of(std::initializer_list<const char*> options,
                           std::string_view text,
                           std::string_view failure = "a mode rejects the program") {
  fuzz_run::outcome result =
      fuzz_run::run(std::span(options.begin(), options.size()), text);
  check_accepted(result, options, text, failure);
  return result.out;
}

// The output of the mode on the program as the last run read it.
std::string_view output_on_read(std::initializer_list<const char*> options,
                                std::string_view program) {
  fuzz_run::outcome result =
      fuzz_run::run_on_read(std::span(options.begin(), options.size()));
  check_accepted(result, options, program, "a mode rejects the program");
  return result.out;
}

// The output of the mode on a printed text, which must read back.
std::string_view output_again(std::initializer_list<const char*> options,
                              std::string_view text) {
  return output_of(options, text, "readable");
}

void check_readable(std::string_view printed) {
  if (program_text::readable(printed)) output_again({"-tparse"}, printed);
}

void check_same(std::string_view property, std::string_view expected,
                std::string_view found) {
  if (expected != found) finding(property, expected, found);
}

void check_cleanall(std::string_view printed, std::string_view cleaned,
                    std::string_view all_cleaned) {
  for (program_text::node_text node : program_text::nodes(printed)) {
    program_text::node_text clean = program_text::find_node(cleaned, node.name);
    program_text::node_text all = program_text::find_node(all_cleaned, node.name);
    if (all.name.empty() || clean.name.empty())
      finding("cleanall: node " + std::string(node.name) + " printed", cleaned,
              all_cleaned);
    if (all.outputs != node.outputs)
      finding("cleanall: outputs", node.outputs, all.outputs);
    if (all.body != clean.body) finding("cleanall: body", clean.body, all.body);
    for (std::string_view input : program_text::names_declared(node.inputs))
      if (program_text::mentions(all.body, input) &&
          !program_text::mentions(all.inputs, input))
        finding("cleanall: input " + std::string(input), node.inputs, all.inputs);
  }
}

// The files zosim reads: the program, and the result compared with it.
sim_fuzz::memory_file* program_file = nullptr;
sim_fuzz::memory_file* result_file = nullptr;

// Whether zosim runs the node of the program held in `program_file` alone;
// a false assertion stops a comparison with a note, and is no reason not to.
bool runnable(const char* program, const std::string& node) {
  sim_fuzz::outcome alone =
      sim_fuzz::run({"--random", "1", "--steps", "20", "--uninterpreted", "--node",
                     node.c_str(), program});
  return alone.status == 0 || alone.err.find("assertion false") != std::string::npos;
}

void check_meaning(const std::string& what, std::string_view program, const char* path,
                   std::string_view result, const std::string& node,
                   const std::string& node2) {
  if (!program_text::readable(result)) return;
  sim_fuzz::outcome compared = sim_fuzz::run(
      {"--compare", result_file->hold(result), "--random", "1", "--steps", "20",
       "--uninterpreted", "--node", node.c_str(), "--node2", node2.c_str(), path});
  if (compared.status == 0) return;
  finding("meaning: " + what + " of node " + node + ": " + compared.err, program, result);
}

void check_program(const std::string& program,
                   const std::vector<std::string>& node_names) {
  output_of({"-tlex"}, program);
  output_of({"-vv", "-k2quelm", harness}, program);

  // Every other mode runs on the package that -tparse reads, one reading for
  // all; -k2quelm comes last, as it adds its node to the package.
  output_of({"-tparse"}, program);
  std::string_view printed = output_on_read({}, program);
  std::vector<std::string_view> flats;
  for (const std::string& name : node_names)
    flats.push_back(output_on_read({"-flat", name.c_str()}, program));
  std::string_view cleaned = output_on_read({"-clean"}, program);
  std::string_view all_cleaned = output_on_read({"-cleanall"}, program);
  std::string_view simplified = output_on_read({"-simp"}, program);
  std::vector<std::string_view> in_user_modes;
  for (std::initializer_list<const char*> modes :
       {std::initializer_list<const char*>{"-usrint"},
        {"-usrreal"},
        {"-usrbool"},
        {"-usrint", "-usrreal", "-usrbool", "-simp"}})
    in_user_modes.push_back(output_on_read(modes, program));
  std::string_view with_harness = output_on_read({"-k2quelm", harness}, program);

  if (program_text::readable(printed))
    check_same("reprint", printed, output_again({}, printed));

  for (std::size_t index = 0; index < node_names.size(); ++index) {
    const std::string& name = node_names[index];
    if (program_text::readable(flats[index]))
      check_same("flat " + name, flats[index],
                 output_again({"-flat", name.c_str()}, flats[index]));
  }

  std::string declarations = program_text::without_nodes(printed);
  check_same("clean", cleaned,
             output_again({"-clean"}, declarations + std::string(cleaned)));
  check_same("cleanall", all_cleaned,
             output_again({"-cleanall"}, declarations + std::string(all_cleaned)));
  check_cleanall(printed, cleaned, all_cleaned);

  check_same("interface", program_text::outside_bodies(printed),
             program_text::outside_bodies(simplified));
  if (program_text::readable(simplified)) output_again({"-simp"}, simplified);

  check_readable(with_harness);
  std::string_view first = program_text::first_node(with_harness);
  if (!first.starts_with(std::string("node ") + harness + " (") ||
      with_harness.substr(first.size()) != printed)
    finding("harness", printed, with_harness);

  for (std::string_view output : in_user_modes) check_readable(output);

  const char* path = program_file->hold(program);
  for (std::size_t index = 0; index < node_names.size(); ++index) {
    const std::string& name = node_names[index];
    if (!runnable(path, name)) continue;
    check_meaning("printing", program, path, printed, name, name);
    check_meaning("-simp", program, path, simplified, name, name);
    check_meaning("-clean", program, path, cleaned, name, name);
    check_meaning("-cleanall", program, path, all_cleaned, name, name);
    check_meaning("-flat " + name, program, path, flats[index], name, name);
    // Every generated node has properties: the harness extends the first.
    if (index == 0) check_meaning("-k2quelm", program, path, with_harness, name, harness);
  }
}

}  // namespace

// AddressSanitizer's settings unless ASAN_OPTIONS says otherwise: every
// allocation records the innermost 8 frames of its stack instead of 30 (the
// checks are the same; ASAN_OPTIONS=malloc_context_size=30 gives a replayed
// finding its whole stacks), and released memory waits in a quarantine of
// 4 MiB instead of 256 MiB. The checks of one program release about half a
// MiB, so the quarantine still holds every block released by the last several
// programs, and a use after release within a run or from a run before is
// caught; the memory it gives back is still in the processor's cache, where
// that of a larger quarantine had to be fetched again at every allocation.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=8:quarantine_size_mb=4";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_run::start(true);
  sim_fuzz::start();
  program_file = new sim_fuzz::memory_file;
  result_file = new sim_fuzz::memory_file;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  generated_program made = generated_program_of({data, size});
  const std::string& program = made.text;
  const std::vector<std::string>& node_names = made.node_names;
  auto check = [&] { check_program(program, node_names); };
  fuzz_run::on_work_thread(check);
  return 0;
}
