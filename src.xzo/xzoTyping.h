// Typing and clock checking on demand: effective types of the declared types,
// typing environments of a package and of one node, and the type and clock of
// an expression.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "xzoAst.h"

enum type_eff_kind : std::uint8_t {
  bool_eff,
  int_eff,
  real_eff,
  extern_eff,
  enum_eff,
  struct_eff,
  array_eff,
};

struct field_eff;

/// An effective type: a declared type with its aliases seen through.
struct type_eff {
  type_eff_kind kind;
  std::string_view name = {};              // extern_eff, enum_eff, struct_eff
  std::span<const ident> constants = {};   // enum_eff
  std::span<const field_eff> fields = {};  // struct_eff, in declaration order
  const type_eff* element = nullptr;       // array_eff
  std::int64_t size = 0;                   // array_eff
};

struct field_eff {
  ident name;
  const type_eff* type;
};

/// Structural equality: kinds, names, constants, fields, elements and sizes.
bool operator==(const type_eff& a, const type_eff& b);

/// The type of an expression: one element per component of a tuple value.
using type_list = std::vector<const type_eff*>;

/// Element-wise structural equality.
bool same_types(std::span<const type_eff* const> a, std::span<const type_eff* const> b);

/// "bool", "int", "real", "T(*extern*)", "T(*enum*)", "T(*sruct*)", "%s^%d".
std::string string_of_type_eff(const type_eff& type);

/// A clock: the name of the Boolean flow it is on, or null for the base clock.
/// Clocks compare by text. (Not `clock`, which the C library declares.)
using flow_clock = ident;

/// What typing found wrong in the package, the node or the expression.
enum class typing_reason : std::uint8_t {
  tuple_type,             // a tuple type where one type is wanted
  recursive_type,         // the named type is defined through itself
  undeclared_type,        // the named type is not declared
  tuple_constant,         // a constant without type whose value is a tuple
  operator_twice,         // the named operator is declared twice
  flow_twice,             // the named flow or enumeration constant exists already
  undeclared_flow,        // the named flow, typed, is not declared
  undeclared_clock_flow,  // the named flow, clocked, is not declared
  undeclared_operator,    // the named operator, called, is not declared
  bad_types,              // the operator does not take its operands' types
  not_same_clock,         // the operands are on different clocks
  when_clock_not_flow,    // the clock of a `when` is no flow's name
  current_clock,          // a `current` without one operand on a flow's clock
  when_operands,          // a `when` without two operands
  no_operand_clock,       // an operator without operands has no clock
  size_not_literal,       // an array size that is no plain integer literal
  no_type_rule,           // the expression's kind has no typing rule
};

/// A failure of typing, as a value: the reason, and the name it concerns for
/// the reasons that name one. Each program turns it into its own words.
struct Typing_failure {
  typing_reason reason;
  std::string name = {};
};

/// A typing environment: resolved named types, flows with their types and
/// clocks, and operator signatures. It remembers the type of every expression
/// it has typed, since trees never change.
class env;

/// Destroys an environment where its definition is out of sight.
template <>
struct std::default_delete<env> {
  void operator()(env* environment) const;
};

/// The environment of the package, and of `node` when one is given; fails with
/// the first declaration error met.
std::unique_ptr<env> get_env(const package& pack, const node_def* node = nullptr);

/// The environment of `node` built on the package's own environment: the same
/// environment, and the same first error, as `get_env(pack, &node)`, at the
/// cost of the node's flows only. `package_env` must come from `get_env`
/// without a node (else `Internal_error`) and must outlive the result.
std::unique_ptr<env> get_node_env(const env& package_env, const node_def& node);

/// Makes `node_env` the environment of `node`, the same, and with the same
/// first error, as `get_node_env(package_env, node)`, reusing the storage of
/// the environment it holds when `get_node_env` made that one on `package_env`.
void renew_node_env(std::unique_ptr<env>& node_env, const env& package_env,
                    const node_def& node);

/// An environment of no package, whose tables stay empty: only literals can
/// be typed in it. What it learns of an expression it keeps as long as it
/// lives, so it must not outlive the expressions it is asked about.
std::unique_ptr<env> make_empty_env();

/// An environment of the package that has resolved and declared nothing yet,
/// for a caller that declares the package's items itself, in its own order.
std::unique_ptr<env> make_bare_env(const package& pack);

/// An environment of a node on the package environment, with no flow of the
/// node declared yet; `package_env` must outlive it.
std::unique_ptr<env> make_bare_node_env(const env& package_env);

/// The input and output types of a node or function.
struct signature {
  const type_list* inputs;
  const type_list* outputs;
};

/// Gives the next operator of the package's operator table its signature; the
/// lists are copied.
void add_signature(env& environment, std::span<const type_eff* const> inputs,
                   std::span<const type_eff* const> outputs);

/// The signature of the named operator, or null when it has none.
const signature* find_signature(const env& environment, std::string_view name);

/// Whether the name is a flow the environment declares.
bool declares_flow(const env& environment, std::string_view name);

/// Declares a flow of that type, which must outlive the environment;
/// `Typing_failure` when the name is declared already.
void add_flow(env& environment, const type_eff* type, flow_clock on, ident name);

/// Makes `type` the type of every named type whose resolution failed, so that
/// a name met again is not taken for a recursive definition.
void settle_failed_types(env& environment, const type_eff* type);

/// The one-element list of the type, living as long as the environment.
const type_list* single_list(const env& environment, const type_eff* type);

/// A list equal to `types`, living as long as the environment.
const type_list* kept_list(const env& environment,
                           std::span<const type_eff* const> types);

/// The shared one-element lists of the basic types.
const type_list& bool_list();
const type_list& int_list();
const type_list& real_list();

/// The type list of the expression; `Typing_failure` when it has none.
const type_list& exp_type(const env& environment, const val_exp* e);

/// The type of a declared flow; `Typing_failure` when the name is not one.
const type_eff& ident_type(const env& environment, std::string_view name);

/// The clock of the expression; `Typing_failure` when it has none.
flow_clock exp_clock(const env& environment, const val_exp* e);

/// The type list the rule of e's kind gives to its operands' types, taken
/// together in one list: the rules of `exp_type` for calls and for `pre` to
/// `#`. `Typing_failure` when the rule does not hold, for a call of an
/// undeclared operator, and for a kind without rule.
const type_list* operator_type(const env& environment, const val_exp* e,
                               std::span<const type_eff* const> operands);

/// The clock the rule of e's kind gives to its `count` operands, of which the
/// first is on `first` and all are on one clock when `same`: the rules of
/// `exp_clock`, failing as it does.
flow_clock operator_clock(const env& environment, const val_exp* e, std::size_t count,
                          flow_clock first, bool same);

/// Whether the two clocks are one: both base, or both the same flow's name.
bool same_clock(flow_clock a, flow_clock b);

/// The effective type of a type expression, resolved through the
/// environment's memo of named types; fails as `get_env` does on it.
const type_eff* resolve_type(env& environment, const type_exp& type);

/// The clock of a declared flow; `Typing_failure` when the name is not one.
flow_clock ident_clock(const env& environment, std::string_view name);

/// Declares a new flow (of a copy of the type); `Typing_failure` when the name
/// is declared already.
void declare_flow(env& environment, const type_eff& type, flow_clock on, ident name);

/// The type expression naming an effective type (arrays with a literal size).
const type_exp* type_exp_of_type_eff(const type_eff& type);

/// Applies the action to every resolved named type, in the order resolved.
void iter_on_types(const env& environment,
                   const std::function<void(std::string_view, const type_eff&)>& action);

/// The value of a plain integer literal; `Typing_failure` for anything else.
std::int64_t eval_const_int(const val_exp* e);
