// The checks that rest on what a program reads at each step: an
// instantaneous cycle among a node's equations, a node that calls itself,
// and a `pre` that no `->` guards, which can leave an output, an assertion or
// a property without value at the first step.
#pragma once

#include "checkScope.h"

/// Reports, at its name, the first node of the package that calls itself,
/// directly or through other nodes, with the chain of calls.
void report_recursion(check_scope& scope);

/// Reports the first instantaneous cycle among the node's equations, with
/// the line of each flow on it. When there is none and `warn_init`, warns at
/// each `pre` that can make an output, an assertion or a property nil at
/// the first step.
void check_dependencies(check_scope& scope, const node_def& node, bool warn_init);
