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
//               does.
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
#include "programText.h"
#include "zoGenerator.h"

namespace {

constexpr const char* harness = "harness_check";

[[noreturn]] void finding(std::string_view what, std::string_view first,
                          std::string_view second) {
  std::fprintf(stderr, "\nFINDING: %.*s\n--- first text:\n%.*s\n--- second text:\n%.*s\n",
               static_cast<int>(what.size()), what.data(), static_cast<int>(first.size()),
               first.data(), static_cast<int>(second.size()), second.data());
  std::abort();
}

// The output of the mode on the text, which the mode must accept: the text
// is the program, or for `readable` an output printed from it. The output
// stays valid for the whole program's check.
std::string_view output_of(std::initializer_list<const char*> options,
                           std::string_view text,
                           std::string_view failure = "a mode rejects the program") {
  fuzz_run::outcome result =
      fuzz_run::run(std::span(options.begin(), options.size()), text);
  if (result.status != 0) {
    std::string what(failure);
    what += ':';
    for (const char* option : options) (what += ' ') += option;
    finding(what, text, result.err);
  }
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

void check_program(const std::string& program,
                   const std::vector<std::string>& node_names) {
  output_of({"-tlex"}, program);
  output_of({"-tparse"}, program);
  output_of({"-vv", "-k2quelm", harness}, program);

  std::string_view printed = output_of({}, program);
  if (program_text::readable(printed))
    check_same("reprint", printed, output_again({}, printed));

  for (const std::string& name : node_names) {
    std::string_view flat = output_of({"-flat", name.c_str()}, program);
    if (program_text::readable(flat))
      check_same("flat " + name, flat, output_again({"-flat", name.c_str()}, flat));
  }

  std::string declarations = program_text::without_nodes(printed);
  std::string_view cleaned = output_of({"-clean"}, program);
  check_same("clean", cleaned,
             output_again({"-clean"}, declarations + std::string(cleaned)));
  std::string_view all_cleaned = output_of({"-cleanall"}, program);
  check_same("cleanall", all_cleaned,
             output_again({"-cleanall"}, declarations + std::string(all_cleaned)));
  check_cleanall(printed, cleaned, all_cleaned);

  std::string_view simplified = output_of({"-simp"}, program);
  check_same("interface", program_text::outside_bodies(printed),
             program_text::outside_bodies(simplified));
  if (program_text::readable(simplified)) output_again({"-simp"}, simplified);

  std::string_view with_harness = output_of({"-k2quelm", harness}, program);
  check_readable(with_harness);
  std::string_view first = program_text::first_node(with_harness);
  if (!first.starts_with(std::string("node ") + harness + " (") ||
      with_harness.substr(first.size()) != printed)
    finding("harness", printed, with_harness);

  for (std::initializer_list<const char*> modes :
       {std::initializer_list<const char*>{"-usrint"},
        {"-usrreal"},
        {"-usrbool"},
        {"-usrint", "-usrreal", "-usrbool", "-simp"}})
    check_readable(output_of(modes, program));
}

}  // namespace

// AddressSanitizer's settings unless ASAN_OPTIONS says otherwise: every
// allocation records the innermost 8 frames of its stack instead of 30 (the
// checks are the same; ASAN_OPTIONS=malloc_context_size=30 gives a replayed
// finding its whole stacks), and released memory waits in a quarantine of
// 32 MiB instead of 256 MiB, so that it comes back still faulted in and cached.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=8:quarantine_size_mb=32";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_run::start(true);
  return 0;
}

// The first choice picks long or short names; then come the nodes, up to
// four, another one as long as the choice says so.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  byte_choices choices({data, size});
  generator_shape shape;
  shape.short_names = choices.pick(2) == 1;
  shape.constants = 8;
  shape.functions = 3;
  shape.least_equations = 1;
  shape.more_equations = 7;
  shape.deep_shapes = true;
  zo_generator generator(choices, shape);
  std::string program = generator.declarations();
  std::vector<std::string> node_names;
  for (int index = 0; index < 4 && (index == 0 || choices.pick(2) == 1); ++index) {
    program += generator.node(index);
    node_names.push_back((index % 2 == 0 ? "P" : "N") + std::to_string(index));
  }
  auto check = [&] { check_program(program, node_names); };
  fuzz_run::on_work_thread(check);
  return 0;
}
