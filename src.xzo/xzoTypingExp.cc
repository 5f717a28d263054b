// The type and the clock of an expression: its operands first, then the rule
// of its kind. Answers are remembered per environment, so that typing every
// operand of every node of a tree costs one visit per node.
#include <algorithm>
#include <iterator>
#include <string>

#include "stack_room.h"
#include "xzoTyping.h"
#include "xzoTypingEnv.h"

namespace {

[[noreturn]] void bad_types() { throw Typing_failure{typing_reason::bad_types}; }

[[noreturn]] void not_same_clock() {
  throw Typing_failure{typing_reason::not_same_clock};
}

using operand_types = std::span<const type_eff* const>;

// Whether the types are `count` types of the basic kind.
bool all_basic(operand_types types, std::size_t count, type_eff_kind kind) {
  if (types.size() != count) return false;
  for (const type_eff* type : types)
    if (type->kind != kind) return false;
  return true;
}

// The overloaded arithmetic: the integer rule first, then the real rule.
const type_list* int_else_real(operand_types operands, std::size_t count) {
  if (all_basic(operands, count, int_eff)) return &int_list();
  if (all_basic(operands, count, real_eff)) return &real_list();
  bad_types();
}

const type_list* basic_rule(operand_types operands, std::size_t count, type_eff_kind kind,
                            const type_list& result) {
  if (!all_basic(operands, count, kind)) bad_types();
  return &result;
}

const type_list& flow_types(const env& environment, std::string_view name) {
  const flow_entry* declared = environment.find_flow(name);
  if (declared == nullptr)
    throw Typing_failure{typing_reason::undeclared_flow, std::string(name)};
  return *declared->type;
}

}  // namespace

const type_list* operator_type(const env& environment, const val_exp* e,
                               operand_types operands) {
  switch (e->kind()) {
    case nat_call: {
      std::string_view name = e->name()->text();
      const signature* called = environment.find_oper(name);
      if (called == nullptr)
        throw Typing_failure{typing_reason::undeclared_operator, std::string(name)};
      if (!same_types(operands, *called->inputs)) bad_types();
      return called->outputs;
    }
    case nat_pre:
    case nat_current:
      if (operands.size() != 1) bad_types();
      return environment.single(operands[0]);
    case nat_not: return basic_rule(operands, 1, bool_eff, bool_list());
    case nat_uminus: return int_else_real(operands, 1);
    case nat_real_conv: return basic_rule(operands, 1, int_eff, real_list());
    case nat_int_conv: return basic_rule(operands, 1, real_eff, int_list());
    case nat_arrow:
      if (operands.size() != 2 || !(*operands[0] == *operands[1])) bad_types();
      return environment.single(operands[0]);
    case nat_and:
    case nat_or:
    case nat_xor:
    case nat_impl: return basic_rule(operands, 2, bool_eff, bool_list());
    case nat_eq:
    case nat_neq:
      if (operands.size() != 2 || !(*operands[0] == *operands[1])) bad_types();
      return &bool_list();
    case nat_gte:
    case nat_gt:
    case nat_lte:
    case nat_lt: int_else_real(operands, 2); return &bool_list();
    case nat_div:
    case nat_mod: return basic_rule(operands, 2, int_eff, int_list());
    case nat_minus:
    case nat_plus:
    case nat_slash:
    case nat_times: return int_else_real(operands, 2);
    case nat_if:
      if (operands.size() != 3 || operands[0]->kind != bool_eff ||
          !(*operands[1] == *operands[2]))
        bad_types();
      return environment.single(operands[1]);
    case nat_nor:
    case nat_diese:
      if (operands.empty()) bad_types();
      return basic_rule(operands, operands.size(), bool_eff, bool_list());
    default: break;
  }
  throw Typing_failure{typing_reason::no_type_rule};
}

namespace {

// Applies the rule of e's kind to its operands' types, concatenated, and
// remembers the answer. Kept out of `exp_type` so that the recursion's frames
// stay small.
[[gnu::noinline]] const type_list& type_by_rule(const env& environment, const val_exp* e,
                                                std::span<const type_list* const> lists) {
  std::size_t count = 0;
  for (const type_list* types : lists) count += types->size();
  // Most operators have at most a few operand types: no allocation for them.
  const type_eff* few[4];
  type_list many;
  std::span<const type_eff*> operands(few, count);
  if (count > std::size(few)) {
    many.resize(count);
    operands = many;
  }
  auto next = operands.begin();
  for (const type_list* types : lists)
    next = std::copy(types->begin(), types->end(), next);
  const type_list* result = operator_type(environment, e, operands);
  environment.exp_types.try_emplace(e, result);
  return *result;
}

}  // namespace

bool same_clock(flow_clock a, flow_clock b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->text() == b->text();
}

[[gnu::noinline]] flow_clock operator_clock(const env& environment, const val_exp* e,
                                            std::size_t count, flow_clock first,
                                            bool same) {
  switch (e->kind()) {
    case nat_current:
      if (count != 1 || first == nullptr)
        throw Typing_failure{typing_reason::current_clock};
      return ident_clock(environment, first->text());
    case nat_when:
      if (count != 2) throw Typing_failure{typing_reason::when_operands};
      if (!same) not_same_clock();
      if (e->op(1)->kind() != nat_ident)
        throw Typing_failure{typing_reason::when_clock_not_flow};
      return e->op(1)->name();
    default:
      if (count == 0) throw Typing_failure{typing_reason::no_operand_clock};
      if (!same) not_same_clock();
      return first;
  }
}

namespace {

// Appends the types of a tuple's components, walking through the tuples
// nested in it instead of typing each: a tuple nested n deep would otherwise
// keep a list for every level, n * n / 2 types in all.
void append_tuple_types(const env& environment, const val_exp* tuple, type_list& types) {
  stack_room::check();
  for (const val_exp* operand : tuple->ops()) {
    if (operand->kind() == nat_tuple && environment.exp_types.find(operand) == nullptr) {
      append_tuple_types(environment, operand, types);
      continue;
    }
    const type_list& operand_types = exp_type(environment, operand);
    types.insert(types.end(), operand_types.begin(), operand_types.end());
  }
}

[[gnu::noinline]] const type_list& type_of_tuple(const env& environment,
                                                 const val_exp* tuple) {
  type_list types;
  append_tuple_types(environment, tuple, types);
  const type_list* result = environment.kept_list(types);
  environment.exp_types.try_emplace(tuple, result);
  return *result;
}

}  // namespace

// Recursive over the depth of the tree: the frame holds only the operands'
// type lists.
const type_list& exp_type(const env& environment, const val_exp* e) {
  switch (e->kind()) {
    case nat_true:
    case nat_false: return bool_list();
    case nat_iconst:
    case nat_ival: return int_list();
    case nat_rconst:
    case nat_rval: return real_list();
    case nat_ident: return flow_types(environment, e->name()->text());
    default: break;
  }
  if (const type_list* const* known = environment.exp_types.find(e)) return **known;
  stack_room::check();
  if (e->kind() == nat_tuple) return type_of_tuple(environment, e);
  std::span<const val_exp* const> ops = e->ops();
  if (ops.size() <= 3) {
    const type_list* lists[3];
    for (std::size_t position = 0; position < ops.size(); ++position)
      lists[position] = &exp_type(environment, ops[position]);
    return type_by_rule(environment, e, {lists, ops.size()});
  }
  std::vector<const type_list*> lists;
  lists.reserve(ops.size());
  for (const val_exp* operand : ops) lists.push_back(&exp_type(environment, operand));
  return type_by_rule(environment, e, lists);
}

const type_eff& ident_type(const env& environment, std::string_view name) {
  return *flow_types(environment, name)[0];
}

// The operands' clocks are all computed before any rule is checked, so that
// an error inside a later operand comes first.
flow_clock exp_clock(const env& environment, const val_exp* e) {
  switch (e->kind()) {
    case nat_true:
    case nat_false:
    case nat_iconst:
    case nat_rconst:
    case nat_ival:
    case nat_rval: return nullptr;
    case nat_ident: return ident_clock(environment, e->name()->text());
    default: break;
  }
  if (const flow_clock* known = environment.exp_clocks.find(e)) return *known;
  stack_room::check();
  std::size_t count = 0;
  flow_clock first = nullptr;
  bool same = true;
  for (const val_exp* operand : e->ops()) {
    flow_clock on = exp_clock(environment, operand);
    if (count++ == 0)
      first = on;
    else if (!same_clock(first, on))
      same = false;
  }
  flow_clock result = operator_clock(environment, e, count, first, same);
  environment.exp_clocks.try_emplace(e, result);
  return result;
}

flow_clock ident_clock(const env& environment, std::string_view name) {
  const flow_entry* declared = environment.find_flow(name);
  if (declared == nullptr)
    throw Typing_failure{typing_reason::undeclared_clock_flow, std::string(name)};
  return declared->on;
}
