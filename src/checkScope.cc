#include "checkScope.h"

#include "checkSuggest.h"

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

std::string shown_types(std::span<const type_eff* const> types) {
  if (types.empty()) return "no value";
  std::string text;
  for (const type_eff* type : types) {
    if (!text.empty()) text += " * ";
    text += shown_type(*type);
  }
  return text;
}

std::string shown_clock(flow_clock on) {
  return on == nullptr ? "the base clock" : "clock '" + std::string(on->text()) + "'";
}

void suggest(diagnostic& d, std::string_view wanted, std::span<const ident> candidates,
             std::span<const ident> more) {
  for (std::span<const ident> names : {candidates, more})
    for (ident name : names)
      if (one_edit_apart(wanted, name->text())) {
        d.notes.push_back(
            {span_of_text(name), "did you mean '" + std::string(name->text()) + "'?"});
        return;
      }
}

const type_eff* checked_type(check_scope& scope, env& environment, const type_exp& type) {
  if (type.kind == named_type && scope.pack.types.find(type.name->text()) == nullptr) {
    diagnostic& d =
        scope.found.error(span_of_text(type.name), "undeclared",
                          "undeclared type '" + std::string(type.name->text()) + "'");
    suggest(d, type.name->text(), scope.type_list);
    return &unknown_type;
  }
  try {
    return resolve_type(environment, type);
  } catch (const Global_error&) {
    // The names on the failed path stay pending: they become unknown, so that
    // they are not taken for recursive when met again.
    for (type_entry& entry : environment.types)
      if (entry.type == nullptr) entry.type = &unknown_type;
    return &unknown_type;
  }
}
