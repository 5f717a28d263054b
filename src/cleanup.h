// The cleanup modes: in every node, keep only what the outputs need, directly
// or through assertions, and print the cleaned nodes alone.
#pragma once

#include "xzoAst.h"

/// Whether cleaning also erases the inputs that nothing needs (-cleanall).
void set_cleanall(bool erase_inputs);

/// The node without the locals, equations and assertions that nothing needs
/// (and without such inputs when the switch is on), valid until the next
/// call; fails with the `Internal_error` of `make_def_table` for a left that
/// is not a variable.
node_def clean_node(const node_def& node);

/// Prints the cleaned form of every node, in declaration order, and nothing
/// else; fails as `clean_node`, `get_env` or `dump_node_def`, leaving the nodes
/// printed before.
void cleanup_package(const package& pack);
