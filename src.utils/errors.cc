#include "errors.h"

std::string lexeme_details(const lexeme& position) {
  std::string details = "'";
  details.append(position.str);
  details += "' (line " + std::to_string(position.line);
  details += ", char " + std::to_string(position.cstart);
  details += " to " + std::to_string(position.cend) + ")";
  return details;
}

std::string compile_error_string(const lexeme& position, const std::string& message) {
  return "Error. " + lexeme_details(position) + ":\n---> " + message;
}
