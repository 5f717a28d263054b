// What the writer's two halves share: the scope of one printed declaration or
// expression, and the expression and left printers working in it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "xzoDump.h"

/// One public print call: its typing environment, its user modes and, once a
/// field access needs them, the field indexes that environment's structure
/// types give.
struct dump_scope {
  dump_scope(const env& types, user_modes modes) : environment(types), modes(modes) {}

  const env& environment;
  const user_modes modes;
  // Field name -> its index, or `ambiguous_field` when several structure
  // types declare it. Built on the first field access of the scope.
  std::optional<std::unordered_map<std::string_view, std::int64_t>> field_indexes;
};

constexpr std::int64_t ambiguous_field = -1;

inline void out(std::string_view text) { out_fn.write(text); }

void print_val_exp(dump_scope& scope, const val_exp* e);
void print_left(dump_scope& scope, const left& item);
std::int64_t field_index(dump_scope& scope, std::string_view field);
