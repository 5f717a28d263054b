// What the writer's two halves share: the scope of one printed declaration or
// expression, and the expression and left printers working in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "output.h"
#include "xzoDump.h"

/// Where the writer's text goes: standard output's buffer, or a string.
class text_sink {
 public:
  /// The sink of standard output.
  text_sink() = default;
  /// A sink that appends to `text`, which must outlive it.
  explicit text_sink(std::string& text) : text_(&text) {}

  /// Appends the piece, unchanged.
  void write(std::string_view piece) const {
    if (text_ == nullptr) [[likely]]
      output::write(piece);
    else
      append_to_text(piece);
  }

 private:
  // Out of line, so that the writing to standard output, which every mode
  // does, saves no registers for the rarer string.
  [[gnu::noinline, gnu::cold]] void append_to_text(std::string_view piece) const;

  std::string* text_ = nullptr;
};

/// One public print call: where its text goes, its typing environment, its
/// user modes and, once a field access needs them, the field indexes that
/// environment's structure types give.
struct dump_scope {
  dump_scope(text_sink sink, const env& types, user_modes modes)
      : sink(sink), environment(types), modes(modes) {}

  /// Appends the piece to the text printed.
  void out(std::string_view text) const { sink.write(text); }

  const text_sink sink;
  const env& environment;
  const user_modes modes;
  // Field name -> its index, or `ambiguous_field` when several structure
  // types declare it. Built on the first field access of the scope.
  std::optional<std::unordered_map<std::string_view, std::int64_t>> field_indexes;
};

constexpr std::int64_t ambiguous_field = -1;

void print_val_exp(dump_scope& scope, const val_exp* e);
void print_left(dump_scope& scope, const left& item);
std::int64_t field_index(dump_scope& scope, std::string_view field);
