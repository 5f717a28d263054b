// What the checks of one file share: the package and its places, the
// diagnostics found, and the names in scope with what declared them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "checkDiag.h"
#include "flat_map.h"
#include "xzoPlaces.h"
#include "xzoTyping.h"

/// The type of what could not be typed, after an error was reported about
/// it: nothing more is said of what holds it.
extern const type_eff unknown_type;

/// Whether the list holds the unknown type.
bool has_unknown(std::span<const type_eff* const> types);

/// "int", "real", a declared type's name, "T^n"; several joined with " * ".
std::string shown_types(std::span<const type_eff* const> types);
std::string shown_clock(flow_clock on);

enum class name_role { constant, enum_constant, input, output, local };

/// A name in scope: the occurrence that declared it, what it is, its type (a
/// one-element list) and clock, and how it is used.
struct declared_name {
  ident declaration = nullptr;
  name_role role = name_role::constant;
  const type_list* type = nullptr;
  flow_clock on = nullptr;
  bool used = false;
  // For the flows of a node: whether an equation defines it, whole or in
  // part; the left of its first whole definition and that equation (-1:
  // none); what finding the flows that cleaning keeps knows of it.
  bool defined = false;
  ident first_definition = nullptr;
  std::int32_t defined_by = -1;
  bool needed = false;
  std::int32_t first_waiter = -1;
};

using name_scope = flat_map<std::string_view, declared_name, short_text_hash>;

struct check_scope {
  const package& pack;
  /// The places of what is checked: the file's, or those of one node read
  /// again.
  const reading_places* places;
  diagnostics& found;
  /// The lines of the text checked, for what a diagnostic quotes of them;
  /// null when they are not at hand.
  source_lines* lines = nullptr;
  /// The constants and enumeration constants.
  name_scope package_names{};
  /// The flows of the node being checked; empty outside nodes.
  name_scope node_names{};
  // The same names, in the order declared, for suggestions.
  std::vector<ident> package_list{};
  std::vector<ident> node_list{};
  std::vector<ident> oper_names{};
  std::vector<ident> type_names{};
  /// The declared types, resolved (the unknown type for a type in error).
  flat_map<std::string_view, const type_eff*, short_text_hash> declared_types{};
  /// The names of the operators called somewhere in the text read, known
  /// before any node is checked.
  flat_map<std::string_view, bool, short_text_hash> called{};

  /// The name's declaration in scope, the node's flows first; null if none.
  declared_name* find(std::string_view name) {
    if (declared_name* flow = node_names.find(name)) return flow;
    return package_names.find(name);
  }
  /// The place of the expression, or `fallback` when it has none.
  text_span place_of(const val_exp* e, const text_span& fallback) const {
    text_span span = span_of(*places, e);
    return span.line == 0 ? fallback : span;
  }
};

/// Reports the written type when it names an undeclared type, and says so.
bool report_undeclared_type(check_scope& scope, const type_exp& type);

/// The effective type of a written type, resolved in `environment`; the
/// unknown type, after reporting an undeclared type, or silently when its
/// resolution fails otherwise (the declaration's check reports that).
const type_eff* checked_type(check_scope& scope, env& environment, const type_exp& type);

/// Adds to the diagnostic the note "did you mean 'NAME'?" at the declaration
/// of the first candidate one edit away from `wanted`, if there is one and
/// `wanted` has at least three bytes.
void suggest(diagnostic& d, std::string_view wanted, std::span<const ident> candidates,
             std::span<const ident> more = {});
