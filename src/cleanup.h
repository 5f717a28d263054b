// The cleanup modes: in every node, keep only what the outputs need, directly
// or through assertions, and print the cleaned nodes alone.
#pragma once

#include <vector>

#include "xzoAst.h"
#include "xzoNeeds.h"
#include "xzoUsrOps.h"

/// Cleans node after node. The parts a cleaned node keeps, when it erases
/// some, live in the cleaner until its next node: a node is printed as soon as
/// it is cleaned, so one node's storage serves the next.
class node_cleaner {
 public:
  /// A cleaner that erases the inputs nothing needs too when `erase_inputs`
  /// (-cleanall).
  explicit node_cleaner(bool erase_inputs) : erase_inputs_(erase_inputs) {}

  /// The node without the locals, equations and assertions that nothing
  /// needs (and without such inputs when the cleaner erases them); fails with
  /// the `Internal_error` of `make_def_table` for a left that is not a
  /// variable.
  node_def clean(const node_def& node);

 private:
  bool erase_inputs_;
  need_marking needs_;
  std::vector<def> defs_;
  std::vector<const val_exp*> asserts_;
  std::vector<flow> locals_;
  std::vector<input_flow> inputs_;
};

/// Prints the cleaned form of every node, in declaration order, and nothing
/// else, erasing unneeded inputs too when `erase_inputs`; fails as
/// `node_cleaner::clean`, `get_env` or `dump_node_def`, leaving the nodes
/// printed before.
void cleanup_package(const package& pack, bool erase_inputs, user_modes modes);
