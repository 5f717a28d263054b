// User-operator replacement: with a mode on, the writer prints the operators,
// literals and basic types of integers, reals or Booleans in terms of the
// functions and names of a user library ("UsrIntPlus", "UsrReal_1_5", ...).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "xzoAst.h"
#include "xzoTyping.h"

/// The three replacement switches, all off until the driver sets them.
extern bool usr_int_mode;
extern bool usr_real_mode;
extern bool usr_bool_mode;

/// The user function that replaces the operator node `e`, trying the integer,
/// the real and the Boolean mode in that order; null when none replaces it.
/// Types every operand when a mode is on and `e` has operands, so typing's
/// failure on an operand propagates.
const char* usr_func_of(const env& environment, const val_exp* e);

/// The integer mode's function for that kind on those operands; `Failed` when
/// the mode is off or its table has none. Typing's failures propagate.
std::string_view get_usr_int_func(const env& environment, exp_kind kind,
                                  std::span<const val_exp* const> ops);
/// The same with the real mode and table.
std::string_view get_usr_real_func(const env& environment, exp_kind kind,
                                   std::span<const val_exp* const> ops);
/// The same with the Boolean mode and table.
std::string_view get_usr_bool_func(const env& environment, exp_kind kind,
                                   std::span<const val_exp* const> ops);

/// The real literal text with every "+" as "p", "-" as "m" and "." as "_".
std::string correct_real(std::string_view text);
