// Private to the simplification and its tests: the simplification of one
// node, which `simplify_package` applies to every node before printing.
#pragma once

#include "xzoAst.h"

/// The node with its equations simplified; fails as `simplify_package`
/// before printing.
const node_def* simplify_node(const node_def& node);
