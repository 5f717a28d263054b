// The diagnostics of zocheck: errors and warnings with their places, codes
// and notes, put in source order while a file is checked and printed as
// compilers print them or as one JSON object a line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "checkLines.h"
#include "xzoPlaces.h"

enum class severity { error, warning, note };

/// Thrown by a diagnostics list that was told to stop at the first
/// diagnostic without a place, when such a diagnostic is added.
struct place_wanted {};

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

/// The diagnostics of one file, handed to a sink in source order as soon as
/// what comes before them is known: those of the package are held until the
/// checks reach their place, those of a node go when the node is done.
/// Those without place (line 0) come last; those found at one place keep
/// the order found.
class diagnostics {
 public:
  explicit diagnostics(std::function<void(diagnostic&)> sink) : sink_(std::move(sink)) {}

  /// Adds an error and gives it, for notes to be added.
  diagnostic& error(const text_span& place, const char* code, std::string message) {
    return add(place, severity::error, code, std::move(message));
  }
  diagnostic& warning(const text_span& place, const char* code, std::string message) {
    return add(place, severity::warning, code, std::move(message));
  }
  /// The number of errors found and not given yet.
  std::size_t pending_errors() const;

  /// How many were found so far and not given yet.
  struct mark {
    std::size_t found;
    std::size_t placeless;
  };
  mark found_so_far() const { return {found_.size(), placeless_.size()}; }
  /// Whether a diagnostic found since the mark, or one of its notes, has no
  /// place.
  bool any_unplaced_since(const mark& since) const;
  /// Forgets what was found since the mark.
  void forget_since(const mark& since);
  /// Whether adding a diagnostic without place fails with `place_wanted`.
  void stop_at_unplaced(bool stop) { stop_at_unplaced_ = stop; }
  /// Holds what was found so far, to be given among what is found later.
  void hold();
  /// Gives what was found since the last flush, with the held ones placed
  /// before it or among it.
  void flush();
  /// Gives everything still held, then the diagnostics without place.
  void finish();

 private:
  diagnostic& add(const text_span& place, severity level, const char* code,
                  std::string message);
  std::function<void(diagnostic&)> sink_;
  std::vector<diagnostic> found_;
  std::vector<diagnostic> held_;
  std::size_t next_held_ = 0;
  std::vector<diagnostic> placeless_;
  bool stop_at_unplaced_ = false;
};

/// Prints one diagnostic and its notes on standard output: "FILE:LINE:COL:
/// error: MESSAGE [code]", the source line from `lines` and a caret with
/// tildes under the place, then each note the same way.
void print_text(std::string_view file, source_lines& lines, const diagnostic& d);

/// Prints the diagnostic and each note as one JSON object on one line.
void print_json(std::string_view file, const diagnostic& d);

/// "2 errors, 1 warning generated." with the counts that are not zero.
std::string count_line(std::size_t errors, std::size_t warnings);
