// The diagnostics of the failures on standard error, each written after
// everything the program printed on standard output.
#pragma once

#include <string>

#include "lexeme.h"

/// The compile error and a line break on standard error.
void print_compile_error(const lexeme& position, const std::string& message);

/// "Error. %s\n" on standard error.
void print_global_error(const std::string& message);

/// "Sorry, Internal Error. function %s:\n---> %s\n" on standard error.
void print_internal_error(const std::string& function, const std::string& message);

/// A line of text on standard error, after standard output's text.
void print_system_error(const std::string& message);

/// "za2vu: fatal error: NAME: MESSAGE\n" on standard error.
void print_fatal_error(const std::string& name, const std::string& message);
