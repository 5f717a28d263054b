// Private to the writer and its tests: what the writer's two halves share (the
// scope of one printed declaration or expression, and the expression and left
// printers working in it), and the printers of the parts of a declaration.
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

/// The printers below print in the user modes they are given, the plain
/// layout when none is.
///
/// Prints a constant declaration; fails as `dump_type_exp` or `dump_val_exp`.
void dump_const_def(const env& environment, const const_def& constant,
                    user_modes modes = {});

/// Prints a type expression; `Global_error` for an array size that is no
/// integer literal and for an empty tuple type.
void dump_type_exp(const env& environment, const type_exp& type, user_modes modes = {});

/// Prints an expression; `Global_error` for a field no structure type of the
/// environment declares, or that several declare, and for a rejected numeric
/// value; typing's failure on an operand when a user mode is on.
void dump_val_exp(const env& environment, const val_exp* e, user_modes modes = {});

/// Prints the expression in the empty typing environment.
void dump_simple_exp(const val_exp* e);

/// The text `dump_simple_exp` would print; fails as it does.
std::string string_of_simple_exp(const val_exp* e);

/// Prints an equation's left item.
void dump_left(const env& environment, const left& item, user_modes modes = {});
/// Prints an equation on its own line.
void dump_def(const env& environment, const def& equation, user_modes modes = {});
/// Prints an assertion on its own line.
void dump_assert(const env& environment, const val_exp* assertion, user_modes modes = {});

/// The position of the field in the one structure type of the environment
/// that declares it; `Global_error` when none or several do.
std::int64_t search_field_index(const env& environment, std::string_view field);
