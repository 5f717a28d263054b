// User-operator replacement: with a mode on, the writer prints the operators,
// literals and basic types of integers, reals or Booleans in terms of the
// functions and names of a user library ("UsrIntPlus", "UsrReal_1_5", ...).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "xzoAst.h"
#include "xzoTyping.h"

/// The user modes a print replaces in; all off is the plain layout.
struct user_modes {
  bool integer = false;
  bool real = false;
  bool boolean = false;
};

/// The user function that replaces the operator node `e`, trying the integer,
/// the real and the Boolean mode in that order; null when none replaces it.
/// Types every operand when a mode is on and `e` has operands, so typing's
/// failure on an operand propagates.
const char* usr_func_of(user_modes modes, const env& environment, const val_exp* e);

/// The real literal text with every "+" as "p", "-" as "m" and "." as "_".
std::string correct_real(std::string_view text);
