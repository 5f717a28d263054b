#include "generatedProgram.h"

#include "zoGenerator.h"

generated_program generated_program_of(std::span<const std::uint8_t> bytes) {
  byte_choices choices(bytes);
  generator_shape shape;
  shape.short_names = choices.pick(2) == 1;
  shape.constants = 8;
  shape.functions = 3;
  shape.least_equations = 1;
  shape.more_equations = 7;
  shape.deep_shapes = true;
  zo_generator generator(choices, shape);
  generated_program program{generator.declarations(), {}};
  for (int index = 0; index < 4 && (index == 0 || choices.pick(2) == 1); ++index) {
    program.text += generator.node(index);
    program.node_names.push_back((index % 2 == 0 ? "P" : "N") + std::to_string(index));
  }
  return program;
}
