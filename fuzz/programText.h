// Reading the printed form of a program as text, line by line, for the checks
// of the fuzzing target: a node prints as "node NAME (", its inputs one a line,
// ") returns (", its outputs, ");", its locals, "let", its body and "tel".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace program_text {

/// Whether the text can read back: no field access (it prints as an index, a
/// "[" right after an operand) and no call without arguments (it prints with
/// "__DUMMY"), outside annotation lines.
bool readable(std::string_view text);

/// The lines outside the "let" ... "tel" of the nodes.
std::string outside_bodies(std::string_view text);

/// The text without its nodes: the declarations of types, constants and
/// functions.
std::string without_nodes(std::string_view text);

/// The text up to the end of the node it starts with (all of it when it starts
/// with no node).
std::string_view first_node(std::string_view text);

/// The parts of one printed node; all empty for a node that is not there.
struct node_text {
  std::string_view name;
  std::string_view inputs;
  std::string_view outputs;
  std::string_view body;
};

/// Every node of the text, in order.
std::vector<node_text> nodes(std::string_view text);

/// The node of that name in the text.
node_text find_node(std::string_view text, std::string_view name);

/// The names declared by the lines "name : type;" of a list of flows.
std::vector<std::string_view> names_declared(std::string_view flows);

/// Whether the name occurs as a whole word outside annotation lines.
bool mentions(std::string_view text, std::string_view name);

}  // namespace program_text
