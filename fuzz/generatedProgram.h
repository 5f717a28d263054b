// The program that the structure-aware fuzzing targets make of their input:
// the bytes are the generator's choices, in small sizes and with the deep
// shapes, so that every input is a well-typed program.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct generated_program {
  std::string text;
  /// The nodes in order: P0, N1, P2, N3, as many as the choices say.
  std::vector<std::string> node_names;
};

/// The first choice picks long or short names; then come the nodes, up to
/// four, another one as long as the choice says so.
generated_program generated_program_of(std::span<const std::uint8_t> bytes);
