// The failures that travel from any module to the driver, and the text of a
// failure attached to a place.
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

/// The parser found no action for the token at `position`, the last position
/// the lexer made.
struct Syntax_error {
  lexeme position;
};

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
