// Runs the step loop of the simulator alone on a node, with inputs drawn from
// a seed and functions uninterpreted, and prints what a benchmark divides
// by: the instructions of the compiled node, how many of them ran per step
// on average (an instruction whose clock is false at a step does not run),
// the memory updates, and the steps per second of the loop. Nothing is
// printed per step, so that a profile of the run is the loop's cost.
// Usage: zosim_steps FILE NODE STEPS [SEED]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "simCompile.h"
#include "simEngine.h"
#include "simInputs.h"
#include "xzo.h"
#include "xzoPlaces.h"

namespace {

// The instructions of the code that ran at the step just computed: a clock
// slot keeps its value of the step until the next one computes it again.
std::uint64_t ran(const sim_program& program, const sim_machine& machine) {
  std::uint64_t count = 0;
  for (const sim_instr& instr : program.code) count += machine.active(instr.clock);
  return count;
}

int measure(const char* file, const char* node_name, std::uint64_t steps,
            std::uint64_t seed) {
  zo_run run;
  package pack;
  reading_places places;
  std::FILE* stream = std::fopen(file, "rb");
  if (stream == nullptr) {
    std::perror(file);
    return 1;
  }
  std::string text;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
    text.append(buffer, got);
  std::fclose(stream);
  read_checked(text, pack, places);
  const node_def& node = chosen_node(pack, node_name, file);
  sim_options options;
  options.uninterpreted = true;
  options.inputs_from_assertions = true;
  sim_program program = compile_node(pack, &places, node, file, options);

  sim_machine machine(program);
  random_inputs inputs(seed, program, true);
  // The count of instructions run is taken on a sample of the steps only, so
  // that the loop timed is the simulator's.
  std::uint64_t sampled = 0, sampled_steps = 0;
  auto start = std::chrono::steady_clock::now();
  for (std::uint64_t step = 0; step < steps; ++step) {
    inputs.next(machine);
    machine.step();
    if (step % 64 == 0) {
      sampled += ran(program, machine);
      ++sampled_steps;
    }
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("code %zu ran %.1f updates %zu steps %llu steps/s %.0f\n",
              program.code.size(),
              sampled_steps == 0 ? 0.0 : double(sampled) / double(sampled_steps),
              program.updates.size(), static_cast<unsigned long long>(steps),
              seconds > 0 ? double(steps) / seconds : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: zosim_steps FILE NODE STEPS [SEED]\n");
    return 2;
  }
  try {
    return measure(argv[1], argv[2], std::strtoull(argv[3], nullptr, 10),
                   argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1);
  } catch (const Sim_error& failure) {
    std::fprintf(stderr, "zosim_steps: %s\n", failure.message.c_str());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "zosim_steps: %s\n", failure.what());
  } catch (...) {
    std::fprintf(stderr, "zosim_steps: the program is refused\n");
  }
  return 1;
}
