// Static simplification (-simp): within every node, variables defined by a
// constant or by another variable are replaced by it, operators over
// constants are folded, and the assertions serve as facts. A conditional
// whose condition folds to a constant becomes the branch it keeps, and the
// other branch is dropped unsimplified, so it fails on nothing. Only the
// right sides of the equations change; nothing is removed.
#pragma once

#include "verbose.h"
#include "xzoAst.h"
#include "xzoUsrOps.h"

/// Prints the package with every node simplified, once all are done. Fails
/// with `Global_error` for a cyclic definition, `int`, or a literal that is no
/// valid number, with `Internal_error` for a left that is not a variable,
/// with the "Division_by_zero" `Fatal_error`, or as `dump_pack`. At
/// verbosity 2, counts the variables simplified on standard error.
void simplify_package(const package& pack, user_modes modes, verbosity shown = {});
