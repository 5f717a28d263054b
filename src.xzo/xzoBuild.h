// The builders that the grammar's actions call: lists grown in source order
// while they are read, and the trees made from them once their construct is
// complete. Sequences move into the run's arena only at that point.
#pragma once

#include <vector>

#include "arena.h"
#include "xzoAst.h"

/// The list with one more item at its end.
template <typename T>
std::vector<T> append(std::vector<T> list, T item) {
  list.push_back(std::move(item));
  return list;
}

/// The list followed by the items.
template <typename T>
std::vector<T> append_all(std::vector<T> list, const std::vector<T>& items) {
  list.insert(list.end(), items.begin(), items.end());
  return list;
}

/// A copy of the items that lives as long as the run.
template <typename T>
std::span<const T> kept(const std::vector<T>& items) {
  return run_arena().copy<T>(items);
}

// ---------------------------------------------------------------------------
// Expressions

/// A leaf whose payload is a text: a literal or a name.
const val_exp* leaf_exp(exp_kind kind, ident text);
const val_exp* unary_exp(exp_kind kind, const val_exp* operand);
const val_exp* binary_exp(exp_kind kind, const val_exp* left, const val_exp* right);
const val_exp* if_exp(const val_exp* condition, const val_exp* then_branch,
                      const val_exp* else_branch);
const val_exp* call_exp(ident name, const std::vector<const val_exp*>& arguments);
const val_exp* diese_exp(const std::vector<const val_exp*>& items);
/// The item itself when there is one, else the tuple of the items.
const val_exp* parenthesised_exp(const std::vector<const val_exp*>& items);
const val_exp* field_exp(const val_exp* structure, ident field);

/// One field assignment of a structure value.
struct field_init {
  ident name;
  const val_exp* value;
};

/// The field assignments of a structure value, in written order.
struct field_inits {
  std::vector<ident> names;
  std::vector<const val_exp*> values;
};
field_inits add_field_init(field_inits inits, const field_init& init);
const val_exp* struct_exp(ident type_name, const field_inits& inits);

// ---------------------------------------------------------------------------
// Equations

const left* left_id_of(ident name);
const left* left_field_of(const left* inner, ident field);
const left* left_elem_of(const left* inner, const val_exp* index);
const left* left_slice_of(const left* inner, const slice* range);
/// The slice; `step` is null when none is written.
const slice* make_slice(const val_exp* first, const val_exp* last, const val_exp* step);

/// One item of a node body: an assertion, an equation or an annotation.
struct body_item {
  enum which { assertion, equation, annotation } kind;
  const val_exp* exp = nullptr;         // assertion, equation
  std::vector<const left*> lefts = {};  // equation
  pragma note = nullptr;                // annotation
};

/// The three sequences of a node body, each in source order.
struct node_body {
  std::vector<const val_exp*> asserts;
  std::vector<def> defs;
  std::vector<pragma> pragmas;
};
node_body add_body_item(node_body body, const body_item& item);

// ---------------------------------------------------------------------------
// Declarations

/// Names declared together with one type.
struct typed_names {
  std::vector<ident> names;
  const type_exp* type;
};

/// The parameters followed by one per name of the group.
std::vector<typed_ident> add_params(std::vector<typed_ident> params,
                                    const typed_names& group);
/// One flow per name of the group, on the clock (null for the base clock).
std::vector<flow> flows_of(const typed_names& group, ident clock);
std::vector<input_flow> var_inputs(const std::vector<flow>& flows);
/// One constant input per name of the group, without clock.
std::vector<input_flow> const_inputs(const typed_names& group);

/// A constant without value, or with one (`type` null when none is written).
const const_def* extern_const_of(ident name, const type_exp* type);
const const_def* defined_const_of(ident name, const type_exp* type, const val_exp* value);

const oper* func_oper_of(bool is_unsafe, ident name,
                         const std::vector<typed_ident>& inputs,
                         const std::vector<typed_ident>& outputs);
const oper* node_oper_of(ident name, const std::vector<input_flow>& inputs,
                         const std::vector<flow>& outputs,
                         const std::vector<flow>& locals, const node_body& body);
