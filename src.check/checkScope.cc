#include "checkScope.h"

#include <algorithm>

#include "checkSuggest.h"
#include "checkText.h"

const type_eff unknown_type{extern_eff, "?"};

bool has_unknown(std::span<const type_eff* const> types) {
  for (const type_eff* type : types)
    if (type == &unknown_type) return true;
  return false;
}

namespace {

std::string shown_type(const type_eff& type) {
  switch (type.kind) {
    case bool_eff: return "bool";
    case int_eff: return "int";
    case real_eff: return "real";
    case array_eff: return shown_type(*type.element) + "^" + std::to_string(type.size);
    default: return std::string(type.name);
  }
}

}  // namespace

// A long tuple shows its first types and its length.
std::string shown_types(std::span<const type_eff* const> types) {
  constexpr std::size_t shown_most = 8;
  if (types.empty()) return "no value";
  std::string text;
  for (const type_eff* type : types.first(std::min(types.size(), shown_most))) {
    if (!text.empty()) text += " * ";
    text += shown_type(*type);
  }
  if (types.size() > shown_most)
    text += " * ... (" + std::to_string(types.size()) + " values)";
  return text;
}

std::string shown_clock(flow_clock on) {
  return on == nullptr ? "the base clock" : "clock " + quoted_name(on->text());
}

// Names of one or two bytes are all one edit apart: none is suggested for them.
void suggest(diagnostic& d, std::string_view wanted, std::span<const ident> candidates,
             std::span<const ident> more) {
  if (wanted.size() < 3) return;
  for (std::span<const ident> names : {candidates, more})
    for (ident name : names)
      if (one_edit_apart(wanted, name->text())) {
        d.notes.push_back(
            {span_of_text(name), "did you mean " + quoted_name(name->text()) + "?"});
        return;
      }
}

bool report_undeclared_type(check_scope& scope, const type_exp& type) {
  if (type.kind != named_type || scope.pack.types.find(type.name->text()) != nullptr)
    return false;
  diagnostic& d = scope.found.error(span_of_text(type.name), "undeclared",
                                    "undeclared type " + quoted_name(type.name->text()));
  suggest(d, type.name->text(), scope.type_names);
  return true;
}

const type_eff* checked_type(check_scope& scope, env& environment, const type_exp& type) {
  if (report_undeclared_type(scope, type)) return &unknown_type;
  try {
    return resolve_type(environment, type);
  } catch (const Typing_failure&) {
    settle_failed_types(environment, &unknown_type);
    return &unknown_type;
  } catch (const Global_error&) {
    // An array size too large for an integer.
    settle_failed_types(environment, &unknown_type);
    return &unknown_type;
  }
}
