// The writer: prints a package, a declaration or an expression in the exact
// layout of the zo format, with the user-operator replacement of xzoUsrOps.h.
// Nothing printed is ever withdrawn: a failure leaves the text printed so far.
#pragma once

#include <functional>
#include <string>

#include "xzoAst.h"
#include "xzoTyping.h"
#include "xzoUsrOps.h"

/// What a node is printed as: a node that stands for it, valid until the
/// next call.
using node_rendering = std::function<const node_def&(const node_def& node)>;

/// The printers below print in the user modes they are given, the plain
/// layout when none is.
///
/// Prints every declaration of the package in source order, each node as
/// `rendering` gives it when there is one; fails with the first declaration
/// error of typing or the first printing failure.
void dump_pack(const package& pack, user_modes modes,
               const node_rendering& rendering = nullptr);

/// Prints a node declaration, its body included; fails as `string_of_exp`,
/// and with `Global_error` for a type it cannot print.
void dump_node_def(const env& environment, const node_def& node, user_modes modes = {});
/// The text an expression prints as in the environment; fails as printing
/// it in a node does: `Global_error` for a field no structure type of the
/// environment declares, or that several declare, and for a rejected numeric
/// value; typing's failure on an operand when a user mode is on.
std::string string_of_exp(const env& environment, const val_exp* e,
                          user_modes modes = {});
