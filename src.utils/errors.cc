#include "errors.h"

#include <cstdio>

#include "output.h"

namespace {
// Whatever the program printed on standard output stands before the
// diagnostic, even when both streams go to one terminal or file.
void write_diagnostic(const std::string& text) {
  std::fflush(stderr);
  try {
    output::flush();
  } catch (const System_error&) {
    // The diagnostic is still worth writing when standard output is gone.
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
}  // namespace

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

void print_compile_error(const lexeme& position, const std::string& message) {
  write_diagnostic(compile_error_string(position, message) + "\n");
}

void print_global_error(const std::string& message) {
  write_diagnostic("Error. " + message + "\n");
}

void print_internal_error(const std::string& function, const std::string& message) {
  write_diagnostic("Sorry, Internal Error. function " + function + ":\n---> " + message +
                   "\n");
}

void print_system_error(const std::string& message) { write_diagnostic(message + "\n"); }

void print_fatal_error(const std::string& name, const std::string& message) {
  write_diagnostic("za2vu: fatal error: " + name + ": " + message + "\n");
}
