// The instantaneous dependencies of a program: the order in which a node's
// equations can be computed at each step, the cycle that forbids any such
// order, and the chains of calls by which a node would call itself.
//
// An equation reads instantaneously every flow its right side names outside
// the operand of a `pre` (which is read at the previous step), every flow an
// index of its lefts names, and the clock of every flow it defines, since the
// flow is present only when its clock is known. A call reads all its
// arguments instantaneously, whatever the called node does with them. The
// lefts of one equation are defined together. Inputs, constants and names
// that no equation defines are not ordered.
#pragma once

#include <cstdint>
#include <vector>

#include "xzoAst.h"

/// The equations of a node in an order where each comes after every
/// equation that defines a flow it reads instantaneously, or a cycle.
struct equation_order {
  /// Positions in `node.defs`; all of them, in that order, when `cycle` is
  /// empty, and nothing when it is not.
  std::vector<std::uint32_t> equations;
  /// When there is a cycle: its flows in order, the definition of each one
  /// reading the next instantaneously, and the definition of the last one
  /// reading the first. Each entry is the ident of the flow's name as it
  /// occurs in a left of the equation that continues the cycle. Empty when
  /// there is no cycle.
  std::vector<ident> cycle;
  /// Whether a flow of the cycle is defined in parts (a left names a field,
  /// an element or a slice of it). Parts are ordered as their whole flow, so
  /// such a cycle may only run from one part of a flow to another.
  bool through_part = false;
};

/// The dependency order of the node's equations, or the first cycle met when
/// taking them in source order. An equation that defines a flow in part does
/// not depend on itself through that flow. Linear in the size of the node.
equation_order order_equations(const node_def& node);

/// A chain of calls by which a node calls itself: the node, the node it
/// calls, ..., the node that calls the first again (each entry the ident of
/// the node's name where it is declared); empty when no node calls itself.
/// Calls in equations, lefts and assertions count. Nodes are taken in source
/// order, so the chain starts at the first node declared that calls itself,
/// or that calls a node that does.
std::vector<ident> find_recursion(const package& pack);
