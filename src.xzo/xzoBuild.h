// The builders that the grammar's actions call: lists grown in source order
// while they are read, and the trees made from them once their construct is
// complete. Lists are scratch lists, which move into the run's arena only when
// their construct keeps them.
#pragma once

#include <cstdint>
#include <vector>

#include "flat_map.h"
#include "lexeme.h"
#include "scratch_list.h"
#include "xzoAst.h"

using exp_list = scratch_list<const val_exp*>;

/// The working storage of one reading's builders: the cells of its lists
/// under construction, and the vectors through which a finished list passes
/// into the node that copies it, reused from one node to the next.
struct build_scratch {
  scratch_cells cells;
  std::vector<const val_exp*> operands;
  std::vector<const left*> lefts;
};

// ---------------------------------------------------------------------------
// Expressions

/// The leaves of one parse that nothing asks the position of, shared: one
/// expression leaf per text (names and literals), one left-hand variable per
/// name, one text per name, one named type per name. A large program names
/// the same few flows, types and operators over and over; sharing makes its
/// leaves cost a table entry per distinct text instead of a node and a text
/// per occurrence.
class leaf_table {
 public:
  /// The expression leaf of kind `kind` (a name, an integer or a real
  /// literal) with the token's text. Most leaves are found again by their
  /// short text, inline; the others are made or found out of line.
  const val_exp* leaf(exp_kind kind, const lexeme& token) {
    if (token.str.size() <= 8)
      if (const val_exp* const* shared = short_leaves_.find(short_text_code(token.str)))
        return *shared;
    return new_or_long_leaf(kind, token);
  }

  /// The left-hand side that is the variable named by the token.
  const left* left_id(const lexeme& token) {
    if (token.str.size() <= 8)
      if (const left* const* shared = short_lefts_.find(short_text_code(token.str)))
        return *shared;
    return new_or_long_left_id(token);
  }

  /// The name with the token's text, without position.
  ident name(const lexeme& token) { return leaf(nat_ident, token)->name(); }

  /// The type named so.
  const type_exp* named_type(ident name);

  /// The lefts of an equation of that one variable.
  left_list one_variable(const left* variable);

 private:
  template <typename T>
  using by_text = flat_map<std::string_view, const T*, short_text_hash>;
  // A text of up to eight bytes is found by its bytes taken as one number:
  // names and literals hold no zero byte, so no two texts have one number.
  template <typename T>
  using by_short_text = flat_map<std::uint64_t, const T*>;

  // The text's bytes as one number, the first byte lowest; for at most eight
  // bytes.
  static std::uint64_t short_text_code(std::string_view text) {
    std::uint64_t code = 0;
    for (std::size_t at = text.size(); at-- > 0;)
      code = code << 8 | static_cast<unsigned char>(text[at]);
    return code;
  }
  // Out of line, so that the frequent path stays small enough to inline.
  [[gnu::noinline]] const val_exp* new_or_long_leaf(exp_kind kind, const lexeme& token);
  [[gnu::noinline]] const left* new_or_long_left_id(const lexeme& token);

  // Names, integer and real literals never have the same text.
  by_short_text<val_exp> short_leaves_;
  by_text<val_exp> leaves_;
  by_short_text<left> short_lefts_;
  by_text<left> lefts_;
  // Shared names are shared texts: one type per text object.
  flat_map<ident, const type_exp*> named_types_;
  flat_map<const left*, left_list> one_variable_lists_;
};

const val_exp* unary_exp(exp_kind kind, const val_exp* operand);
const val_exp* binary_exp(exp_kind kind, const val_exp* left, const val_exp* right);
const val_exp* if_exp(const val_exp* condition, const val_exp* then_branch,
                      const val_exp* else_branch);
const val_exp* call_exp(build_scratch& scratch, ident name, exp_list arguments);
const val_exp* diese_exp(build_scratch& scratch, exp_list items);
/// The item itself when there is one, else the tuple of the items.
const val_exp* parenthesised_exp(build_scratch& scratch, exp_list items);
const val_exp* field_exp(const val_exp* structure, ident field);

/// One field assignment of a structure value.
struct field_init {
  ident name;
  const val_exp* value;
};

/// The structure value of the field assignments, in written order.
const val_exp* struct_exp(build_scratch& scratch, ident type_name,
                          scratch_list<field_init> inits);

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
  const val_exp* exp = nullptr;  // assertion, equation
  left_list lefts = {};          // equation
  pragma note = nullptr;         // annotation
};

/// The equation of one left and that right side; the lefts of a single
/// variable are shared through the leaf table.
body_item equation_item(leaf_table& leaves, const left* only, const val_exp* exp);

/// The equation of a tuple of lefts, which it keeps, and that right side.
body_item equation_item(build_scratch& scratch, scratch_list<const left*> lefts,
                        const val_exp* exp);

/// The three sequences of a node body, each in source order.
struct node_body {
  exp_list asserts;
  scratch_list<def> defs;
  scratch_list<pragma> pragmas;
};
void add_body_item(build_scratch& scratch, node_body& body, const body_item& item);

// ---------------------------------------------------------------------------
// Declarations

/// Names declared together with one type.
struct typed_names {
  scratch_list<ident> names;
  const type_exp* type;
};

/// The parameters followed by one per name of the group.
scratch_list<typed_ident> add_params(build_scratch& scratch,
                                     scratch_list<typed_ident> params, typed_names group);
/// One flow per name of the group, on the clock (null for the base clock).
scratch_list<flow> flows_of(build_scratch& scratch, typed_names group, ident clock);
scratch_list<input_flow> var_inputs(build_scratch& scratch, scratch_list<flow> flows);
/// One constant input per name of the group, without clock.
scratch_list<input_flow> const_inputs(build_scratch& scratch, typed_names group);

/// A constant without value, or with one (`type` null when none is written).
const const_def* extern_const_of(ident name, const type_exp* type);
const const_def* defined_const_of(ident name, const type_exp* type, const val_exp* value);

const oper* func_oper_of(build_scratch& scratch, bool is_unsafe, ident name,
                         scratch_list<typed_ident> inputs,
                         scratch_list<typed_ident> outputs);
const oper* node_oper_of(build_scratch& scratch, ident name,
                         scratch_list<input_flow> inputs, scratch_list<flow> outputs,
                         scratch_list<flow> locals, node_body body);
