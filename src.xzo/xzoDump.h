// The writer: prints a package, a declaration or an expression in the exact
// layout of the zo format, with the user-operator replacement of xzoUsrOps.h.
// Nothing printed is ever withdrawn: a failure leaves the text printed so far.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

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

/// Prints a node declaration, its body included; fails as `dump_val_exp`.
void dump_node_def(const env& environment, const node_def& node, user_modes modes = {});
/// Prints a constant declaration; fails as `dump_type_exp` or `dump_val_exp`.
void dump_const_def(const env& environment, const const_def& constant,
                    user_modes modes = {});

/// Prints a type expression; `Global_error` for an array size that is no
/// integer literal and for an empty tuple type.
void dump_type_exp(const env& environment, const type_exp& type, user_modes modes = {});

/// Prints an expression; `Global_error` for a field no structure type of the
/// environment declares, or that several declare, and for a rejected numeric
/// value; typing's failure on an operand when a user mode is on.
void dump_val_exp(const env& environment, const val_exp* e, user_modes modes = {});

/// Prints the expression in the empty typing environment.
void dump_simple_exp(const val_exp* e);

/// The text `dump_simple_exp` would print; fails as it does.
std::string string_of_simple_exp(const val_exp* e);

/// The same for the text `dump_val_exp` would print in the environment.
std::string string_of_exp(const env& environment, const val_exp* e,
                          user_modes modes = {});

/// Prints an equation's left item.
void dump_left(const env& environment, const left& item, user_modes modes = {});
/// Prints an equation on its own line.
void dump_def(const env& environment, const def& equation, user_modes modes = {});
/// Prints an assertion on its own line.
void dump_assert(const env& environment, const val_exp* assertion, user_modes modes = {});

/// The position of the field in the one structure type of the environment
/// that declares it; `Global_error` when none or several do.
std::int64_t search_field_index(const env& environment, std::string_view field);
