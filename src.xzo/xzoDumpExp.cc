// The writer's expressions and equation lefts.
#include <charconv>
#include <limits>

#include "errors.h"
#include "stack_room.h"
#include "xzoDumpScope.h"
#include "xzoUsrOps.h"

namespace {

// "[i]" in one piece.
void print_index(const dump_scope& scope, std::int64_t position) {
  char text[26] = "[";
  char* end = std::to_chars(text + 1, text + sizeof text - 1, position).ptr;
  *end++ = ']';
  scope.out({text, static_cast<std::size_t>(end - text)});
}

void print_list(dump_scope& scope, std::span<const val_exp* const> items,
                std::string_view separator) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) scope.out(separator);
    print_val_exp(scope, items[i]);
  }
}

// The operator between its operands, a blank on each side; the operator
// before its parenthesised operands. Each case below takes its text by a
// constant index, so that the text is a constant of the code.
constexpr std::string_view spaced_spellings[] = {
#define EXP_KIND(kind, spelling, operands, payload) " " spelling " ",
#include "xzoExpKinds.def"
#undef EXP_KIND
};
constexpr std::string_view opening_spellings[] = {
#define EXP_KIND(kind, spelling, operands, payload) spelling " (",
#include "xzoExpKinds.def"
#undef EXP_KIND
};

void print_unary(dump_scope& scope, const val_exp* e, std::string_view word) {
  scope.out(word);
  scope.out("(");
  print_val_exp(scope, e->op(0));
  scope.out(")");
}

// Every two-operand node gets its own parentheses, so that the text never
// depends on operator priorities.
void print_binary(dump_scope& scope, const val_exp* e, std::string_view word) {
  scope.out("(");
  print_val_exp(scope, e->op(0));
  scope.out(word);
  print_val_exp(scope, e->op(1));
  scope.out(")");
}

void print_enclosed(dump_scope& scope, const val_exp* e, std::string_view opening,
                    std::string_view closing) {
  scope.out(opening);
  print_list(scope, e->ops(), ", ");
  scope.out(closing);
}

void print_int_text(const dump_scope& scope, std::string_view text) {
  if (scope.modes.integer) scope.out("UsrInt_");
  scope.out(text);
}

// The smallest integer has no literal of its own: its magnitude is out of
// range, so its decimal text would read back as the negation of a literal
// that fails to convert. It prints as a difference that reads back to it.
void print_int_value(const dump_scope& scope, std::int64_t value) {
  if (value == std::numeric_limits<std::int64_t>::min() && !scope.modes.integer)
    scope.out("(-9223372036854775807 - 1)");
  else
    print_int_text(scope, zoint_of_int(value));
}

void print_real_text(const dump_scope& scope, std::string_view text) {
  if (scope.modes.real) {
    scope.out("UsrReal_");
    scope.out(correct_real(text));
  } else {
    scope.out(text);
  }
}

void print_struct_value(dump_scope& scope, const val_exp* e) {
  const struct_cons& cons = e->cons();
  scope.out(cons.type_name->text());
  scope.out(" {");
  for (std::size_t i = 0; i < cons.field_names.size(); ++i) {
    if (i != 0) scope.out("; ");
    scope.out(cons.field_names[i]->text());
    scope.out(" = ");
    print_val_exp(scope, e->op(i));
  }
  scope.out(" }");
}

void print_by_kind(dump_scope& scope, const val_exp* e) {
  switch (e->kind()) {
    case nat_true: scope.out(scope.modes.boolean ? "UsrBooltrue" : "true"); return;
    case nat_false: scope.out(scope.modes.boolean ? "UsrBoolfalse" : "false"); return;
    case nat_pre: print_unary(scope, e, facts_of(nat_pre).spelling); return;
    case nat_current: print_unary(scope, e, facts_of(nat_current).spelling); return;
    case nat_not: print_unary(scope, e, facts_of(nat_not).spelling); return;
    case nat_uminus: print_unary(scope, e, facts_of(nat_uminus).spelling); return;
    case nat_real_conv: print_unary(scope, e, facts_of(nat_real_conv).spelling); return;
    case nat_int_conv: print_unary(scope, e, facts_of(nat_int_conv).spelling); return;
    case nat_arrow: print_binary(scope, e, spaced_spellings[nat_arrow]); return;
    case nat_when: print_binary(scope, e, spaced_spellings[nat_when]); return;
    case nat_and: print_binary(scope, e, spaced_spellings[nat_and]); return;
    case nat_or: print_binary(scope, e, spaced_spellings[nat_or]); return;
    case nat_xor: print_binary(scope, e, spaced_spellings[nat_xor]); return;
    case nat_impl: print_binary(scope, e, spaced_spellings[nat_impl]); return;
    case nat_eq: print_binary(scope, e, spaced_spellings[nat_eq]); return;
    case nat_neq: print_binary(scope, e, spaced_spellings[nat_neq]); return;
    case nat_gte: print_binary(scope, e, spaced_spellings[nat_gte]); return;
    case nat_gt: print_binary(scope, e, spaced_spellings[nat_gt]); return;
    case nat_lte: print_binary(scope, e, spaced_spellings[nat_lte]); return;
    case nat_lt: print_binary(scope, e, spaced_spellings[nat_lt]); return;
    case nat_div: print_binary(scope, e, spaced_spellings[nat_div]); return;
    case nat_mod: print_binary(scope, e, spaced_spellings[nat_mod]); return;
    case nat_minus: print_binary(scope, e, spaced_spellings[nat_minus]); return;
    case nat_plus: print_binary(scope, e, spaced_spellings[nat_plus]); return;
    case nat_slash: print_binary(scope, e, spaced_spellings[nat_slash]); return;
    case nat_times: print_binary(scope, e, spaced_spellings[nat_times]); return;
    case nat_hat: print_binary(scope, e, spaced_spellings[nat_hat]); return;
    case nat_if:
      scope.out("(if ");
      print_val_exp(scope, e->op(0));
      scope.out(" then ");
      print_val_exp(scope, e->op(1));
      scope.out(" else ");
      print_val_exp(scope, e->op(2));
      scope.out(")");
      return;
    case nat_nor: print_enclosed(scope, e, opening_spellings[nat_nor], ")"); return;
    case nat_diese: print_enclosed(scope, e, opening_spellings[nat_diese], ")"); return;
    case nat_tuple: print_enclosed(scope, e, "(", ")"); return;
    case nat_array: print_enclosed(scope, e, "[", "]"); return;
    case nat_iconst: print_int_text(scope, e->name()->text()); return;
    case nat_rconst: print_real_text(scope, e->name()->text()); return;
    case nat_ival: print_int_value(scope, e->ival()); return;
    case nat_rval: print_real_text(scope, zoreal_of_float(e->rval())); return;
    case nat_ident: scope.out(e->name()->text()); return;
    case nat_call:
      scope.out(e->name()->text());
      if (e->ops().empty())
        scope.out("(true (*__DUMMY*))");
      else
        print_enclosed(scope, e, " (", ")");
      return;
    case nat_array_elem:
      print_val_exp(scope, e->op(0));
      scope.out("[");
      print_val_exp(scope, e->index());
      scope.out("]");
      return;
    // A field access prints as an indexed access: its position in the one
    // structure type that declares the field, found before "[" is printed.
    case nat_field:
      print_val_exp(scope, e->op(0));
      print_index(scope, field_index(scope, e->name()->text()));
      return;
    case nat_tuple_elem:
      print_val_exp(scope, e->op(0));
      print_index(scope, e->position());
      return;
    case nat_struct: print_struct_value(scope, e); return;
  }
}

}  // namespace

void print_val_exp(dump_scope& scope, const val_exp* e) {
  stack_room::check();
  if (const char* usr_func = usr_func_of(scope.modes, scope.environment, e)) {
    scope.out(usr_func);
    print_enclosed(scope, e, " (", ")");
    return;
  }
  print_by_kind(scope, e);
}

void print_left(dump_scope& scope, const left& item) {
  switch (item.kind) {
    case left_id: scope.out(item.name->text()); return;
    case left_field:
      print_left(scope, *item.inner);
      scope.out(".");
      scope.out(item.name->text());
      return;
    case left_elem:
      print_left(scope, *item.inner);
      scope.out("[");
      print_val_exp(scope, item.index);
      scope.out("]");
      return;
    case left_slice:
      print_left(scope, *item.inner);
      scope.out("[");
      print_val_exp(scope, item.range->first);
      scope.out(" .. ");
      print_val_exp(scope, item.range->last);
      if (item.range->step != nullptr) {
        scope.out(" step ");
        print_val_exp(scope, item.range->step);
      }
      scope.out("]");
      return;
  }
}

std::int64_t field_index(dump_scope& scope, std::string_view field) {
  if (!scope.field_indexes) {
    auto& indexes = scope.field_indexes.emplace();
    iter_on_types(scope.environment, [&indexes](std::string_view, const type_eff& type) {
      if (type.kind != struct_eff) return;
      for (std::size_t i = 0; i < type.fields.size(); ++i) {
        auto [entry, fresh] = indexes.try_emplace(type.fields[i].name->text(),
                                                  static_cast<std::int64_t>(i));
        if (!fresh) entry->second = ambiguous_field;
      }
    });
  }
  auto found = scope.field_indexes->find(field);
  if (found == scope.field_indexes->end()) throw Global_error{"can'y find field"};
  if (found->second == ambiguous_field) throw Global_error{"field not unique"};
  return found->second;
}
