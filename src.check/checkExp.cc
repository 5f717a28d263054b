#include "checkExp.h"

#include "checkPrecedence.h"
#include "checkText.h"
#include "small_buffer.h"
#include "stack_room.h"

namespace {

// The operator as written, for messages, but for a few kinds that messages
// name in words. The table's spellings are string literals, so their text
// ends with a null byte.
const char* symbol_of(exp_kind kind) {
  switch (kind) {
    case nat_uminus: return "unary -";
    case nat_tuple: return "a tuple";
    case nat_true:
    case nat_false:
    case nat_hat:
    case nat_nor: return "the operator";
    default: break;
  }
  std::string_view spelling = facts_of(kind).spelling;
  return spelling.empty() ? "the operator" : spelling.data();
}

// The operands' types taken together, as the rules of the format see them;
// most operators have a few, held without allocation.
class joined {
 public:
  explicit joined(std::span<const exp_facts> operands) : types_(count(operands)) {
    std::size_t next = 0;
    for (const exp_facts& operand : operands)
      for (const type_eff* type : *operand.types) types_[next++] = type;
  }
  operator std::span<const type_eff* const>() const { return types_.all(); }

 private:
  static std::size_t count(std::span<const exp_facts> operands) {
    std::size_t total = 0;
    for (const exp_facts& operand : operands) total += operand.types->size();
    return total;
  }
  small_buffer<const type_eff*> types_;
};

}  // namespace

// Gives back the holders of the expression being checked when its operands
// are done, also when a check throws.
struct exp_checker::holders_kept {
  explicit holders_kept(exp_checker& checker)
      : checker(checker), parent(checker.parent_), grandparent(checker.grandparent_) {}
  ~holders_kept() {
    checker.parent_ = parent;
    checker.grandparent_ = grandparent;
  }
  exp_checker& checker;
  const val_exp* parent;
  const val_exp* grandparent;
};

exp_facts exp_checker::check(const val_exp* e) {
  switch (e->kind()) {
    case nat_true:
    case nat_false: return {&bool_list(), nullptr, true};
    case nat_iconst:
    case nat_ival: return {&int_list(), nullptr, true};
    case nat_rconst:
    case nat_rval: return {&real_list(), nullptr, true};
    case nat_ident: return name_facts(e);
    default: break;
  }
  stack_room::check();
  if (e->kind() == nat_tuple) return tuple_facts(e);
  std::span<const val_exp* const> ops = e->ops();
  small_buffer<exp_facts, 3> operands(ops.size());
  {
    holders_kept holders(*this);
    grandparent_ = parent_;
    parent_ = e;
    for (std::size_t position = 0; position < ops.size(); ++position)
      operands[position] = check(ops[position]);
  }
  exp_facts result;
  result.types = types_by_rule(e, operands.all());
  clock_by_rule(e, operands.all(), result);
  return result;
}

// The components of a tuple and of the tuples nested in it, gathered in one
// list: a tuple nested n deep typed level by level would keep a list for
// every level, n * n / 2 types in all.
struct exp_checker::tuple_parts {
  type_list types;
  bool types_known = true;
  std::size_t count = 0;
  flow_clock first = nullptr;
  bool clocks_known = true;
  bool same = true;
};

void exp_checker::collect_tuple(const val_exp* tuple, tuple_parts& parts) {
  stack_room::check();
  for (const val_exp* operand : tuple->ops()) {
    if (operand->kind() == nat_tuple) {
      collect_tuple(operand, parts);
      continue;
    }
    exp_facts facts = check(operand);
    if (facts.types == nullptr)
      parts.types_known = false;
    else if (parts.types_known)
      parts.types.insert(parts.types.end(), facts.types->begin(), facts.types->end());
    if (!facts.clock_known)
      parts.clocks_known = false;
    else if (parts.count++ == 0)
      parts.first = facts.clock;
    else if (!same_clock(parts.first, facts.clock))
      parts.same = false;
  }
}

exp_facts exp_checker::tuple_facts(const val_exp* tuple) {
  tuple_parts parts;
  {
    holders_kept holders(*this);
    parent_ = grandparent_ = tuple;
    collect_tuple(tuple, parts);
  }
  exp_facts result;
  if (parts.types_known) result.types = kept_list(env_, parts.types);
  if (!parts.clocks_known) return result;
  if (parts.same) {
    result.clock = parts.first;
    result.clock_known = true;
    return result;
  }
  diagnostic& d = scope_.found.error(
      place_of(tuple), "clock", "the components of a tuple are not on the same clock");
  note_declarations(d, tuple, true);
  return result;
}

exp_facts exp_checker::name_facts(const val_exp* e) {
  std::string_view name = e->name()->text();
  declared_name* declared = scope_.find(name);
  if (declared == nullptr) {
    diagnostic& d = scope_.found.error(place_of(e), "undeclared",
                                       "use of undeclared name " + quoted_name(name) +
                                           ", neither a flow nor a constant");
    suggest(d, name, scope_.node_list, scope_.package_list);
    return {};
  }
  declared->used = true;
  if (reads_ != nullptr && declared->role != name_role::constant &&
      declared->role != name_role::enum_constant)
    reads_->push_back(declared);
  // A clock that is no flow was reported where it was declared.
  bool clock_known =
      declared->on == nullptr || scope_.node_names.find(declared->on->text());
  return {has_unknown(*declared->type) ? nullptr : declared->type, declared->on,
          clock_known};
}

const type_list* exp_checker::types_by_rule(const val_exp* e,
                                            std::span<const exp_facts> operands) {
  for (const exp_facts& operand : operands)
    if (operand.types == nullptr) return nullptr;
  switch (e->kind()) {
    case nat_call: return call_types(e, joined(operands));
    case nat_field: return field_types(e, *operands[0].types);
    case nat_struct: return struct_types(e, operands);
    case nat_when: {
      const type_list& clock = *operands[1].types;
      if (clock.size() != 1 || clock[0]->kind != bool_eff) {
        diagnostic& d = scope_.found.error(
            place_of(e->op(1)), "type",
            "the clock of 'when' must be a bool flow, not " + shown_types(clock));
        note_declarations(d, e->op(1), false);
      }
      return operands[0].types;
    }
    default: break;
  }
  joined given(operands);
  try {
    return operator_type(env_, e, given);
  } catch (const Typing_failure& failure) {
    // A kind without typing rule is one the reader does not make: nothing is
    // known of it.
    if (failure.reason == typing_reason::no_type_rule) return nullptr;
    if (failure.reason != typing_reason::bad_types) throw;
    diagnostic& d = scope_.found.error(
        place_of(e), "type",
        std::string("operands of '") + symbol_of(e->kind()) + "' have types " +
            shown_types(given) + ", which it does not take");
    note_declarations(d, e, false);
    if (e->kind() == nat_and || e->kind() == nat_or || e->kind() == nat_xor)
      note_precedence_trap(d, e, parent_, grandparent_, *scope_.places, scope_.lines);
  }
  return nullptr;
}

const type_list* exp_checker::call_types(const val_exp* e,
                                         std::span<const type_eff* const> given) {
  std::string_view name = e->name()->text();
  const signature* called = find_signature(env_, name);
  if (called == nullptr) {
    diagnostic& d = scope_.found.error(
        place_of(e), "undeclared", "call of undeclared operator " + quoted_name(name));
    suggest(d, name, scope_.oper_names);
    return nullptr;
  }
  if (has_unknown(*called->inputs) || has_unknown(*called->outputs)) return nullptr;
  const oper* declared = scope_.pack.opers.find(name);
  ident declaration =
      declared->kind == node_oper ? declared->node->name : declared->func->name;
  if (given.size() != called->inputs->size()) {
    diagnostic& d = scope_.found.error(
        place_of(e), "call",
        quoted_name(name) + " takes " + std::to_string(called->inputs->size()) +
            " argument(s), " + std::to_string(given.size()) + " given");
    d.notes.push_back({span_of_text(declaration), quoted_name(name) + " declared here"});
    return called->outputs;
  }
  if (!same_types(given, *called->inputs)) {
    diagnostic& d = scope_.found.error(place_of(e), "type",
                                       "arguments of " + quoted_name(name) +
                                           " have types " + shown_types(given) +
                                           ", it takes " + shown_types(*called->inputs));
    d.notes.push_back({span_of_text(declaration), quoted_name(name) + " declared here"});
  }
  return called->outputs;
}

const type_list* exp_checker::field_types(const val_exp* e, const type_list& structure) {
  std::string_view field = e->name()->text();
  if (structure.size() == 1 && structure[0]->kind == struct_eff)
    for (const field_eff& declared : structure[0]->fields)
      if (declared.name->text() == field)
        return declared.type == &unknown_type ? nullptr
                                              : single_list(env_, declared.type);
  scope_.found.error(
      place_of(e), "type",
      "no field " + quoted_name(field) + " in a value of type " + shown_types(structure));
  return nullptr;
}

const type_list* exp_checker::struct_types(const val_exp* e,
                                           std::span<const exp_facts> operands) {
  const struct_cons& cons = e->cons();
  const type_def* declared = scope_.pack.types.find(cons.type_name->text());
  if (declared == nullptr || declared->kind != struct_type) {
    scope_.found.error(
        span_of_text(cons.type_name), declared ? "type" : "undeclared",
        quoted_name(cons.type_name->text()) + " is not a declared structure type");
    return nullptr;
  }
  const type_eff* const* resolved = scope_.declared_types.find(cons.type_name->text());
  if (resolved == nullptr || (*resolved)->kind != struct_eff) return nullptr;
  const type_eff* type = *resolved;
  for (std::size_t position = 0; position < cons.field_names.size(); ++position) {
    ident field = cons.field_names[position];
    const field_eff* found = nullptr;
    for (const field_eff& candidate : type->fields)
      if (candidate.name->text() == field->text()) found = &candidate;
    if (found == nullptr) {
      scope_.found.error(span_of_text(field), "type",
                         "no field " + quoted_name(field->text()) + " in structure " +
                             quoted_name(cons.type_name->text()));
      continue;
    }
    if (found->type != &unknown_type)
      expect_types(e->op(position), operands[position], {&found->type, 1},
                   "the value of field " + quoted_name(field->text()));
  }
  report_missing_fields(e, *declared->info);
  return single_list(env_, type);
}

// A field that the value does not give and that has no default is missing.
void exp_checker::report_missing_fields(const val_exp* e, const struct_info& declared) {
  const struct_cons& cons = e->cons();
  for (ident field : declared.field_names) {
    bool given = false;
    for (ident written : cons.field_names)
      given = given || written->text() == field->text();
    if (given || declared.fields.find(field->text())->default_value != nullptr) continue;
    scope_.found.error(place_of(e), "type",
                       "field " + quoted_name(field->text()) + " of structure " +
                           quoted_name(cons.type_name->text()) + " is not given");
  }
}

void exp_checker::clock_by_rule(const val_exp* e, std::span<const exp_facts> operands,
                                exp_facts& result) {
  std::size_t count = 0;
  flow_clock first = nullptr;
  bool same = true;
  for (const exp_facts& operand : operands) {
    if (!operand.clock_known) return;
    if (count++ == 0)
      first = operand.clock;
    else if (!same_clock(first, operand.clock))
      same = false;
  }
  if (e->kind() == nat_field) {
    result.clock = first;
    result.clock_known = true;
    return;
  }
  // `current` goes back to the clock of its operand's clock, found among the
  // names in scope: the environment holds no flow of the node.
  if (e->kind() == nat_current && count == 1 && first != nullptr) {
    if (const declared_name* clock = scope_.find(first->text())) {
      result.clock = clock->on;
      result.clock_known = true;
    }
    return;
  }
  try {
    result.clock = operator_clock(env_, e, count, first, same);
    result.clock_known = true;
  } catch (const Typing_failure& failure) {
    if (failure.reason != typing_reason::not_same_clock &&
        failure.reason != typing_reason::when_clock_not_flow) {
      // A call without arguments has no clock; its argument count is
      // reported. A clock that is no flow was reported where it was declared.
      if (e->kind() == nat_current && first == nullptr)
        scope_.found.error(place_of(e), "clock",
                           "'current' of an expression on the base clock");
      return;
    }
    std::string message = same ? "the clock of 'when' must be a flow's name"
                               : std::string("operands of '") + symbol_of(e->kind()) +
                                     "' are not on the same clock";
    diagnostic& d = scope_.found.error(place_of(same ? e->op(1) : e), "clock", message);
    if (!same) note_declarations(d, e, true);
  }
}

void exp_checker::note_declarations(diagnostic& d, const val_exp* e, bool with_clock) {
  auto note = [&](const val_exp* operand) {
    if (operand->kind() != nat_ident) return;
    declared_name* declared = scope_.find(operand->name()->text());
    if (declared == nullptr) return;
    std::string what =
        with_clock ? shown_clock(declared->on) : shown_types(*declared->type);
    d.notes.push_back({span_of_text(declared->declaration),
                       quoted_name(operand->name()->text()) + " declared here, " +
                           (with_clock ? "on " : "of type ") + what});
  };
  if (e->kind() == nat_ident) {
    note(e);
    return;
  }
  for (const val_exp* operand : e->ops()) note(operand);
}

void exp_checker::expect_types(const val_exp* e, const exp_facts& facts,
                               std::span<const type_eff* const> wanted,
                               const std::string& what) {
  if (facts.types == nullptr || has_unknown(wanted) || same_types(*facts.types, wanted))
    return;
  diagnostic& d = scope_.found.error(place_of(e), "type",
                                     what + " must have type " + shown_types(wanted) +
                                         ", not " + shown_types(*facts.types));
  note_declarations(d, e, false);
}
