// The diagnostics of zocheck: errors and warnings with their places, codes
// and notes, gathered while a file is checked and printed at its end in
// source order, as compilers print them or as one JSON object a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "xzoPlaces.h"

enum class severity { error, warning, note };

struct diagnostic_note {
  text_span place;
  std::string message;
};

struct diagnostic {
  text_span place;
  severity level;
  const char* code;  // "undeclared", "type", "clock", ...
  std::string message;
  std::vector<diagnostic_note> notes;
};

/// The diagnostics of one file, in the order found.
class diagnostics {
 public:
  /// Adds an error and gives it, for notes to be added.
  diagnostic& error(const text_span& place, const char* code, std::string message) {
    return add(place, severity::error, code, std::move(message));
  }
  diagnostic& warning(const text_span& place, const char* code, std::string message) {
    return add(place, severity::warning, code, std::move(message));
  }
  const std::vector<diagnostic>& all() const { return found_; }
  std::size_t count(severity level) const;
  /// Makes every warning an error.
  void warnings_as_errors();
  /// Puts the diagnostics in source order; those found at one place keep
  /// the order found.
  void sort();

 private:
  diagnostic& add(const text_span& place, severity level, const char* code,
                  std::string message);
  std::vector<diagnostic> found_;
};

/// Prints the sorted diagnostics of the file named `file`, whose text is
/// `text`, on standard output: "FILE:LINE:COL: error: MESSAGE [code]", the
/// source line and a caret with tildes under the place, then each note the
/// same way.
void print_text(std::string_view file, std::string_view text, const diagnostics& found);

/// Prints each diagnostic and each note as one JSON object on one line.
void print_json(std::string_view file, const diagnostics& found);

/// "2 errors, 1 warning generated." with the counts that are not zero.
std::string count_line(std::size_t errors, std::size_t warnings);
