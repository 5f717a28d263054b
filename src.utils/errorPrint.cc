#include "errorPrint.h"

#include <cstdio>

#include "errors.h"
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
