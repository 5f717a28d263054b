// Flattening of one node: every operator application that is an operand of
// another expression gets an equation of its own, defining a new local, so
// that each right side is one operator applied to names and constants.
#pragma once

#include <string_view>

#include "xzoAst.h"
#include "xzoUsrOps.h"

/// Prints the package with the named node flattened; `Global_error`
/// "undeclared node N" or "N sould be a node name" for a name that is no node,
/// "tuples not yet implemented" for a nested operand of other than one value,
/// and typing's and clocking's failures on the node. Nothing is printed then.
void flat_node_in_package(std::string_view name, const package& pack, user_modes modes);

/// The node with its equations flattened, innermost applications first, and
/// the new locals after the old ones; fails as `flat_node_in_package`.
const node_def* flat_this_node(const package& pack, const node_def& node);
