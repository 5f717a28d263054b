// The checks of one node: its flows, every equation, assertion and property
// annotation, what each output and local is defined by, and what nothing uses.
#pragma once

#include "checkScope.h"

/// Reports every error of the node and, when `unused_warnings`, every local
/// and input that nothing uses. True when -cleanall surely keeps every input
/// of the node: it has no error, and no operator calls it, or cleaning keeps
/// each input, or cannot clean the node (a left defines a part).
bool check_node(check_scope& scope, const env& package_env, const node_def& node,
                bool unused_warnings);

/// Warns when -cleanall would take inputs away from the node while an
/// operator of the package calls it (the scope's calls are all known).
void warn_interface_change(check_scope& scope, const node_def& node);
