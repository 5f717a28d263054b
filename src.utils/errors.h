// The failures that travel from any module to the driver, and the exact texts
// in which the driver reports them on standard error.
#pragma once

#include <stdexcept>
#include <string>

#include "lexeme.h"

/// An error attached to a place in the input.
struct Compile_error {
  lexeme position;
  std::string message;
};

/// An error of the input or of a request that has no single position.
struct Global_error {
  std::string message;
};

/// A situation the program does not expect, in the named function.
struct Internal_error {
  std::string function;
  std::string message;
};

/// No result here: a signal raised and caught inside one module.
struct Failed {};

/// The parser found no action for the current token; reported at `last_made`.
struct Syntax_error {};

/// The system refused an input or output operation; the message is its text.
struct System_error {
  std::string message;
};

/// A failure that no handler of the driver reports: the run ends with status 2
/// and one line naming the failure and giving its message.
class Fatal_error : public std::runtime_error {
 public:
  Fatal_error(const char* name, const std::string& message)
      : std::runtime_error(message), name_(name) {}
  const char* name() const { return name_; }

 private:
  const char* name_;
};

/// "'%s' (line %d, char %d to %d)" for the position.
std::string lexeme_details(const lexeme& position);

/// "Error. %s:\n---> %s" with the position's details and the message.
std::string compile_error_string(const lexeme& position, const std::string& message);

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
