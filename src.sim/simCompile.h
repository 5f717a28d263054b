// The compiler of a node for simulation: the equations in the order of their
// instantaneous dependencies, every operator application one instruction per
// scalar, structures and tuples flattened to their scalars, and one instance
// of every called node per call site, with its own memories, its code run
// only on the clock of its arguments.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "simProgram.h"
#include "xzoPlaces.h"

struct sim_options {
  /// Functions without body, external constants and values of external types
  /// get fixed values computed from their names.
  bool uninterpreted = false;
  /// Values of constants given on the command line: name, text.
  std::vector<std::pair<std::string, std::string>> constants;
  /// An input that an assertion `x = e` defines is computed from e.
  bool inputs_from_assertions = false;
};

/// The node to run: the one named `requested` when it is not empty, else
/// the one annotated "MAIN", else the last declared. Fails with `Sim_error`
/// when there is none or no such node.
const node_def& chosen_node(const package& pack, std::string_view requested,
                            const std::string& file);

/// Compiles the node of `pack`, read from `file` with `places`; a type,
/// constant or operator that `pack` lacks is taken from `fallback` when one
/// is given. Fails with `Sim_error` for a cycle, a recursive node, something
/// that cannot be computed, or a construct the simulator does not run.
sim_program compile_node(const package& pack, const reading_places* places,
                         const node_def& node, const std::string& file,
                         const sim_options& options, const package* fallback = nullptr);
