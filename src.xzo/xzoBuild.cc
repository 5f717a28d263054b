#include "xzoBuild.h"

#include <vector>

#include "arena.h"
#include "xzoDecls.h"

namespace {

// The operands of the node being made, gathered from their list into storage
// reused from one node to the next, since the node copies them.
std::span<const val_exp* const> operands_of(build_scratch& scratch, exp_list items) {
  std::vector<const val_exp*>& operands = scratch.operands;
  operands.clear();
  consume(scratch.cells, items, [&](const val_exp* item) { operands.push_back(item); });
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

const val_exp* call_exp(build_scratch& scratch, ident name, exp_list arguments) {
  return make_val_exp(named_nature(nat_call, name), operands_of(scratch, arguments));
}

const val_exp* diese_exp(build_scratch& scratch, exp_list items) {
  return make_val_exp(nat_diese, operands_of(scratch, items));
}

const val_exp* parenthesised_exp(build_scratch& scratch, exp_list items) {
  if (!items.has_one_item()) return make_val_exp(nat_tuple, operands_of(scratch, items));
  return only_item(scratch.cells, items);
}

const val_exp* field_exp(const val_exp* structure, ident field) {
  return make_val_exp(named_nature(nat_field, field), {&structure, 1});
}

const val_exp* struct_exp(build_scratch& scratch, ident type_name,
                          scratch_list<field_init> inits) {
  scratch_list<ident> names;
  exp_list values;
  consume(scratch.cells, inits, [&](const field_init& init) {
    names = append(scratch.cells, names, init.name);
    values = append(scratch.cells, values, init.value);
  });
  const struct_cons* cons =
      run_arena().make<struct_cons>(struct_cons{type_name, kept(scratch.cells, names)});
  return make_val_exp(struct_nature(cons), operands_of(scratch, values));
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

body_item equation_item(build_scratch& scratch, scratch_list<const left*> lefts,
                        const val_exp* exp) {
  std::vector<const left*>& items = scratch.lefts;
  items.clear();
  consume(scratch.cells, lefts, [&](const left* item) { items.push_back(item); });
  return {body_item::equation, exp, left_list(items)};
}

void add_body_item(build_scratch& scratch, node_body& body, const body_item& item) {
  switch (item.kind) {
    case body_item::assertion:
      body.asserts = append(scratch.cells, body.asserts, item.exp);
      break;
    case body_item::equation:
      body.defs = append(scratch.cells, body.defs, def{item.lefts, item.exp});
      break;
    case body_item::annotation:
      body.pragmas = append(scratch.cells, body.pragmas, item.note);
      break;
  }
}

scratch_list<typed_ident> add_params(build_scratch& scratch,
                                     scratch_list<typed_ident> params,
                                     typed_names group) {
  consume(scratch.cells, group.names, [&](ident name) {
    params = append(scratch.cells, params, add_type_to_var(group.type, name));
  });
  return params;
}

scratch_list<flow> flows_of(build_scratch& scratch, typed_names group, ident clock) {
  scratch_list<flow> flows;
  consume(scratch.cells, group.names, [&](ident name) {
    flows =
        append(scratch.cells, flows, add_type_n_clock_to_var(group.type, clock, name));
  });
  return flows;
}

scratch_list<input_flow> var_inputs(build_scratch& scratch, scratch_list<flow> flows) {
  scratch_list<input_flow> inputs;
  consume(scratch.cells, flows, [&](const flow& var) {
    inputs = append(scratch.cells, inputs, {var_input, var});
  });
  return inputs;
}

scratch_list<input_flow> const_inputs(build_scratch& scratch, typed_names group) {
  scratch_list<input_flow> inputs;
  consume(scratch.cells, group.names, [&](ident name) {
    inputs = append(scratch.cells, inputs,
                    {const_input, add_type_n_clock_to_var(group.type, nullptr, name)});
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

const oper* func_oper_of(build_scratch& scratch, bool is_unsafe, ident name,
                         scratch_list<typed_ident> inputs,
                         scratch_list<typed_ident> outputs) {
  const func_def* func = run_arena().make<func_def>(func_def{
      is_unsafe, name, kept(scratch.cells, inputs), kept(scratch.cells, outputs)});
  return run_arena().make<oper>(oper{func_oper, func});
}

const oper* node_oper_of(build_scratch& scratch, ident name,
                         scratch_list<input_flow> inputs, scratch_list<flow> outputs,
                         scratch_list<flow> locals, node_body body) {
  scratch_cells& cells = scratch.cells;
  const node_def* node = run_arena().make<node_def>(node_def{
      name, kept(cells, inputs), kept(cells, outputs), kept(cells, locals),
      kept(cells, body.asserts), kept(cells, body.defs), kept(cells, body.pragmas)});
  return run_arena().make<oper>(oper{node_oper, nullptr, node});
}
