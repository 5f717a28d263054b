#include "xzoBuild.h"

#include "arena.h"
#include "xzoDecls.h"

const val_exp* leaf_exp(exp_kind kind, ident text) {
  return make_val_exp(named_nature(kind, text), {});
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

const val_exp* call_exp(ident name, const std::vector<const val_exp*>& arguments) {
  return make_val_exp(named_nature(nat_call, name), arguments);
}

const val_exp* diese_exp(const std::vector<const val_exp*>& items) {
  return make_val_exp(nat_diese, items);
}

const val_exp* parenthesised_exp(const std::vector<const val_exp*>& items) {
  return items.size() == 1 ? items[0] : make_val_exp(nat_tuple, items);
}

const val_exp* field_exp(const val_exp* structure, ident field) {
  return make_val_exp(named_nature(nat_field, field), {&structure, 1});
}

field_inits add_field_init(field_inits inits, const field_init& init) {
  inits.names.push_back(init.name);
  inits.values.push_back(init.value);
  return inits;
}

const val_exp* struct_exp(ident type_name, const field_inits& inits) {
  const struct_cons* cons =
      run_arena().make<struct_cons>(struct_cons{type_name, kept(inits.names)});
  return make_val_exp(struct_nature(cons), inits.values);
}

const left* left_id_of(ident name) { return run_arena().make<left>(left{left_id, name}); }

const left* left_field_of(const left* inner, ident field) {
  return run_arena().make<left>(left{left_field, field, inner});
}

const left* left_elem_of(const left* inner, const val_exp* index) {
  return run_arena().make<left>(left{left_elem, nullptr, inner, index});
}

const left* left_slice_of(const left* inner, const slice* range) {
  return run_arena().make<left>(left{left_slice, nullptr, inner, nullptr, range});
}

const slice* make_slice(const val_exp* first, const val_exp* last, const val_exp* step) {
  return run_arena().make<slice>(slice{first, last, step});
}

node_body add_body_item(node_body body, const body_item& item) {
  switch (item.kind) {
    case body_item::assertion: body.asserts.push_back(item.exp); break;
    case body_item::equation: body.defs.push_back({kept(item.lefts), item.exp}); break;
    case body_item::annotation: body.pragmas.push_back(item.note); break;
  }
  return body;
}

std::vector<typed_ident> add_params(std::vector<typed_ident> params,
                                    const typed_names& group) {
  for (ident name : group.names) params.push_back(add_type_to_var(group.type, name));
  return params;
}

std::vector<flow> flows_of(const typed_names& group, ident clock) {
  std::vector<flow> flows;
  flows.reserve(group.names.size());
  for (ident name : group.names)
    flows.push_back(add_type_n_clock_to_var(group.type, clock, name));
  return flows;
}

std::vector<input_flow> var_inputs(const std::vector<flow>& flows) {
  std::vector<input_flow> inputs;
  inputs.reserve(flows.size());
  for (const flow& var : flows) inputs.push_back({var_input, var});
  return inputs;
}

std::vector<input_flow> const_inputs(const typed_names& group) {
  std::vector<input_flow> inputs;
  inputs.reserve(group.names.size());
  for (ident name : group.names)
    inputs.push_back({const_input, add_type_n_clock_to_var(group.type, nullptr, name)});
  return inputs;
}

const const_def* extern_const_of(ident name, const type_exp* type) {
  return run_arena().make<const_def>(const_def{extern_const, name, type, nullptr});
}

const const_def* defined_const_of(ident name, const type_exp* type,
                                  const val_exp* value) {
  return run_arena().make<const_def>(const_def{defined_const, name, type, value});
}

const oper* func_oper_of(bool is_unsafe, ident name,
                         const std::vector<typed_ident>& inputs,
                         const std::vector<typed_ident>& outputs) {
  const func_def* func =
      run_arena().make<func_def>(func_def{is_unsafe, name, kept(inputs), kept(outputs)});
  return run_arena().make<oper>(oper{func_oper, func});
}

const oper* node_oper_of(ident name, const std::vector<input_flow>& inputs,
                         const std::vector<flow>& outputs,
                         const std::vector<flow>& locals, const node_body& body) {
  const node_def* node = run_arena().make<node_def>(
      node_def{name, kept(inputs), kept(outputs), kept(locals), kept(body.asserts),
               kept(body.defs), kept(body.pragmas)});
  return run_arena().make<oper>(oper{node_oper, nullptr, node});
}
