#include "xzoBuild.h"

#include <vector>

#include "arena.h"
#include "xzoDecls.h"

namespace {

// The operands of the node being made, gathered from their list into storage
// reused from one node to the next, since the node copies them.
std::span<const val_exp* const> operands_of(exp_list items) {
  static std::vector<const val_exp*> operands;
  operands.clear();
  consume(items, [](const val_exp* item) { operands.push_back(item); });
  return operands;
}

const val_exp* new_leaf(exp_kind kind, std::string_view text) {
  return make_val_exp(named_nature(kind, make_text(run_arena(), text)), {});
}

}  // namespace

const val_exp* leaf_table::new_or_long_leaf(exp_kind kind, const lexeme& token) {
  if (token.str.size() <= 8) {
    std::uint64_t code = short_text_code(token.str);
    const val_exp* made = new_leaf(kind, token.str);
    short_leaves_.try_emplace(code, made);
    return made;
  }
  if (const val_exp* const* shared = leaves_.find(token.str)) return *shared;
  const val_exp* made = new_leaf(kind, token.str);
  leaves_.try_emplace(made->name()->text(), made);
  return made;
}

const left* leaf_table::new_or_long_left_id(const lexeme& token) {
  if (token.str.size() <= 8) {
    std::uint64_t code = short_text_code(token.str);
    const left* made = left_id_of(leaf(nat_ident, token)->name());
    short_lefts_.try_emplace(code, made);
    return made;
  }
  if (const left* const* shared = lefts_.find(token.str)) return *shared;
  const left* made = left_id_of(leaf(nat_ident, token)->name());
  lefts_.try_emplace(made->name->text(), made);
  return made;
}

const type_exp* leaf_table::named_type(ident name) {
  auto [shared, added] = named_types_.try_emplace(name, nullptr);
  if (added) *shared = make_named_type(name);
  return *shared;
}

const val_exp* unary_exp(exp_kind kind, const val_exp* operand) {
  return make_val_exp(kind, {&operand, 1});
}

const val_exp* binary_exp(exp_kind kind, const val_exp* left, const val_exp* right) {
  const val_exp* operands[] = {left, right};
  return make_val_exp(kind, operands);
}

const val_exp* if_exp(const val_exp* condition, const val_exp* then_branch,
                      const val_exp* else_branch) {
  const val_exp* operands[] = {condition, then_branch, else_branch};
  return make_val_exp(nat_if, operands);
}

const val_exp* call_exp(ident name, exp_list arguments) {
  return make_val_exp(named_nature(nat_call, name), operands_of(arguments));
}

const val_exp* diese_exp(exp_list items) {
  return make_val_exp(nat_diese, operands_of(items));
}

const val_exp* parenthesised_exp(exp_list items) {
  if (!items.has_one_item()) return make_val_exp(nat_tuple, operands_of(items));
  const val_exp* item = items.last->item;
  consume(items, [](const val_exp*) {});
  return item;
}

const val_exp* field_exp(const val_exp* structure, ident field) {
  return make_val_exp(named_nature(nat_field, field), {&structure, 1});
}

const val_exp* struct_exp(ident type_name, scratch_list<field_init> inits) {
  scratch_list<ident> names;
  exp_list values;
  consume(inits, [&](const field_init& init) {
    names = append(names, init.name);
    values = append(values, init.value);
  });
  const struct_cons* cons =
      run_arena().make<struct_cons>(struct_cons{type_name, kept(names)});
  return make_val_exp(struct_nature(cons), operands_of(values));
}

const left* left_id_of(ident name) {
  return run_arena().make<left>(left{.kind = left_id, .name = name});
}

const left* left_field_of(const left* inner, ident field) {
  return run_arena().make<left>(left{.kind = left_field, .inner = inner, .name = field});
}

const left* left_elem_of(const left* inner, const val_exp* index) {
  return run_arena().make<left>(left{.kind = left_elem, .inner = inner, .index = index});
}

const left* left_slice_of(const left* inner, const slice* range) {
  return run_arena().make<left>(left{.kind = left_slice, .inner = inner, .range = range});
}

const slice* make_slice(const val_exp* first, const val_exp* last, const val_exp* step) {
  return run_arena().make<slice>(slice{first, last, step});
}

left_list leaf_table::one_variable(const left* variable) {
  auto [shared, added] = one_variable_lists_.try_emplace(variable, {});
  if (added) *shared = left_list({&variable, 1});
  return *shared;
}

body_item equation_item(leaf_table& leaves, const left* only, const val_exp* exp) {
  if (only->kind == left_id) return {body_item::equation, exp, leaves.one_variable(only)};
  return {body_item::equation, exp, left_list({&only, 1})};
}

body_item equation_item(scratch_list<const left*> lefts, const val_exp* exp) {
  static std::vector<const left*> items;
  items.clear();
  consume(lefts, [](const left* item) { items.push_back(item); });
  return {body_item::equation, exp, left_list(items)};
}

node_body add_body_item(node_body body, const body_item& item) {
  switch (item.kind) {
    case body_item::assertion: body.asserts = append(body.asserts, item.exp); break;
    case body_item::equation:
      body.defs = append(body.defs, def{item.lefts, item.exp});
      break;
    case body_item::annotation: body.pragmas = append(body.pragmas, item.note); break;
  }
  return body;
}

scratch_list<typed_ident> add_params(scratch_list<typed_ident> params,
                                     typed_names group) {
  consume(group.names, [&](ident name) {
    params = append(params, add_type_to_var(group.type, name));
  });
  return params;
}

scratch_list<flow> flows_of(typed_names group, ident clock) {
  scratch_list<flow> flows;
  consume(group.names, [&](ident name) {
    flows = append(flows, add_type_n_clock_to_var(group.type, clock, name));
  });
  return flows;
}

scratch_list<input_flow> var_inputs(scratch_list<flow> flows) {
  scratch_list<input_flow> inputs;
  consume(flows, [&](const flow& var) { inputs = append(inputs, {var_input, var}); });
  return inputs;
}

scratch_list<input_flow> const_inputs(typed_names group) {
  scratch_list<input_flow> inputs;
  consume(group.names, [&](ident name) {
    inputs =
        append(inputs, {const_input, add_type_n_clock_to_var(group.type, nullptr, name)});
  });
  return inputs;
}

const const_def* extern_const_of(ident name, const type_exp* type) {
  return run_arena().make<const_def>(const_def{extern_const, name, type, nullptr});
}

const const_def* defined_const_of(ident name, const type_exp* type,
                                  const val_exp* value) {
  return run_arena().make<const_def>(const_def{defined_const, name, type, value});
}

const oper* func_oper_of(bool is_unsafe, ident name, scratch_list<typed_ident> inputs,
                         scratch_list<typed_ident> outputs) {
  const func_def* func =
      run_arena().make<func_def>(func_def{is_unsafe, name, kept(inputs), kept(outputs)});
  return run_arena().make<oper>(oper{func_oper, func});
}

const oper* node_oper_of(ident name, scratch_list<input_flow> inputs,
                         scratch_list<flow> outputs, scratch_list<flow> locals,
                         node_body body) {
  const node_def* node = run_arena().make<node_def>(
      node_def{name, kept(inputs), kept(outputs), kept(locals), kept(body.asserts),
               kept(body.defs), kept(body.pragmas)});
  return run_arena().make<oper>(oper{node_oper, nullptr, node});
}
