#include "xzoTyping.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "arena.h"
#include "typingMessages.h"
#include "xzoTypingEnv.h"

namespace {

// ---------------------------------------------------------------------------
// Building packages by hand

ident name(std::string_view text) { return make_text(run_arena(), text); }

const val_exp* var(std::string_view text) { return ident_exp(name(text)); }
const val_exp* int_lit(std::string_view text) {
  return make_val_exp(named_nature(nat_iconst, name(text)), {});
}
const val_exp* real_lit(std::string_view text) {
  return make_val_exp(named_nature(nat_rconst, name(text)), {});
}
const val_exp* apply(exp_kind kind, std::initializer_list<const val_exp*> ops) {
  return make_val_exp(kind, std::span<const val_exp* const>(ops.begin(), ops.size()));
}
const val_exp* call(std::string_view callee, std::initializer_list<const val_exp*> ops) {
  return make_val_exp(named_nature(nat_call, name(callee)),
                      std::span<const val_exp* const>(ops.begin(), ops.size()));
}

const type_exp* named(std::string_view text) { return make_named_type(name(text)); }
const type_exp* array_of(const type_exp* element, const val_exp* size) {
  return make_array_type(element, size);
}

template <typename T>
std::span<const T> keep(std::vector<T> items) {
  return run_arena().copy(std::span<const T>(items));
}

void add_type(package& pack, type_def definition) {
  pack.types.add(definition.name, run_arena().make<type_def>(definition));
}
void add_alias(package& pack, std::string_view type_name, const type_exp* definition) {
  add_type(pack, {aliased_type, name(type_name), definition});
}
void add_enum(package& pack, std::string_view type_name,
              std::vector<std::string_view> constants) {
  std::vector<ident> names;
  for (std::string_view constant : constants) names.push_back(name(constant));
  add_type(pack, {enum_type, name(type_name), nullptr, keep(names)});
}
void add_struct(package& pack, std::string_view type_name,
                std::vector<std::pair<std::string_view, const type_exp*>> fields) {
  auto* info = run_arena().make<struct_info>();
  info->name = name(type_name);
  for (auto [field_name, type] : fields) {
    ident field = name(field_name);
    info->field_names.push_back(field);
    info->fields.add(field,
                     run_arena().make<field_info>(field_info{field, type, nullptr}));
  }
  add_type(pack, {struct_type, info->name, nullptr, {}, info});
}

void add_const(package& pack, std::string_view const_name, const type_exp* type,
               const val_exp* value) {
  ident constant = name(const_name);
  const_kind kind = value == nullptr ? extern_const : defined_const;
  pack.consts.add(constant,
                  run_arena().make<const_def>(const_def{kind, constant, type, value}));
}

flow declared(std::string_view flow_name, const type_exp* type,
              std::string_view on = {}) {
  return {name(flow_name), type, on.empty() ? nullptr : name(on)};
}

const node_def* make_node(std::string_view node_name, std::vector<flow> inputs,
                          std::vector<flow> outputs, std::vector<flow> locals = {}) {
  std::vector<input_flow> input_flows;
  for (const flow& input : inputs) input_flows.push_back({var_input, input});
  return run_arena().make<node_def>(node_def{
      name(node_name), keep(input_flows), keep(outputs), keep(locals), {}, {}, {}});
}

void add_node(package& pack, const node_def* node) {
  pack.opers.add(node->name, run_arena().make<oper>(oper{node_oper, nullptr, node}));
}

void add_func(package& pack, std::string_view func_name, std::vector<typed_ident> inputs,
              std::vector<typed_ident> outputs) {
  auto* function = run_arena().make<func_def>(
      func_def{false, name(func_name), keep(inputs), keep(outputs)});
  pack.opers.add(function->name, run_arena().make<oper>(oper{func_oper, function}));
}

typed_ident param(std::string_view param_name, const type_exp* type) {
  return {name(param_name), type};
}

// ---------------------------------------------------------------------------
// Observing results

// The exception an action ends with, as "Name: message", or "" when none.
template <typename Action>
std::string failure_of(Action action) {
  try {
    action();
  } catch (const Global_error& failure) {
    return "Global_error: " + failure.message;
  } catch (const Internal_error& failure) {
    return "Internal_error: " + failure.function + ": " + failure.message;
  } catch (const Typing_failure& failure) {
    typing_report report = report_of(failure);
    switch (report.shown_as) {
      case typing_report::form::error: return "Global_error: " + report.message;
      case typing_report::form::internal:
        return "Internal_error: " + std::string(report.name) + ": " + report.message;
      case typing_report::form::fatal:
        return std::string(report.name) + ": " + report.message;
    }
  } catch (const Fatal_error& failure) {
    return std::string(failure.name()) + ": " + failure.what();
  }
  return "";
}

std::string type_of(const env& environment, const val_exp* e) {
  std::string text;
  std::string failure =
      failure_of([&] { text = string_of_type_eff_list(exp_type(environment, e)); });
  return failure.empty() ? text : failure;
}

std::string clock_of(const env& environment, const val_exp* e) {
  std::string text;
  std::string failure = failure_of([&] {
    flow_clock on = exp_clock(environment, e);
    text = on == nullptr ? "base" : "when " + std::string(on->text());
  });
  return failure.empty() ? text : failure;
}

std::string types_walked(const env& environment) {
  std::string walked;
  iter_on_types(environment, [&](std::string_view type_name, const type_eff& type) {
    walked += std::string(type_name) + "=" + string_of_type_eff(type) + " ";
  });
  return walked;
}

// Runs the action on a thread whose stack holds trees 100000 levels deep.
void on_large_stack(const std::function<void()>& action) {
  pthread_attr_t attributes;
  pthread_t worker;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, std::size_t{1} << 30), 0);
  auto run = [](void* work) -> void* {
    (*static_cast<const std::function<void()>*>(work))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&worker, &attributes, run,
                           const_cast<std::function<void()>*>(&action)),
            0);
  pthread_join(worker, nullptr);
  pthread_attr_destroy(&attributes);
}

// A package with a node whose flows are i, j : int, r, s : real, b, c : bool,
// on the base clock, and h : int on c; functions pair () returns (int, real),
// f (int, real) returns (int), nothing () returns ().
struct flows_fixture {
  package pack;
  const node_def* node;
  std::unique_ptr<env> environment;

  flows_fixture() {
    node = make_node("N",
                     {declared("i", int_type_exp()), declared("j", int_type_exp()),
                      declared("r", real_type_exp()), declared("s", real_type_exp()),
                      declared("b", bool_type_exp()), declared("c", bool_type_exp())},
                     {declared("h", int_type_exp(), "c")});
    add_node(pack, node);
    add_func(pack, "pair", {}, {param("p", int_type_exp()), param("q", real_type_exp())});
    add_func(pack, "f", {param("x", int_type_exp()), param("y", real_type_exp())},
             {param("z", int_type_exp())});
    add_func(pack, "nothing", {}, {});
    environment = get_env(pack, node);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Expression types

TEST(ExpType, OverloadedOperatorsTryIntegersThenReals) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  EXPECT_EQ(type_of(in, apply(nat_plus, {var("i"), int_lit("1")})), "int");
  EXPECT_EQ(type_of(in, apply(nat_plus, {var("i"), real_lit("1.0")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_slash, {int_lit("1"), int_lit("2")})), "int");
  EXPECT_EQ(type_of(in, apply(nat_slash, {real_lit("1.0"), real_lit("2.0")})), "real");
  EXPECT_EQ(type_of(in, apply(nat_uminus, {var("r")})), "real");
  EXPECT_EQ(type_of(in, apply(nat_uminus, {var("b")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_lt, {var("r"), var("s")})), "bool");
  EXPECT_EQ(type_of(in, apply(nat_div, {var("r"), var("s")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_real_conv, {var("i")})), "real");
  EXPECT_EQ(type_of(in, apply(nat_int_conv, {var("i")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_eq, {var("i"), var("r")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_diese, {var("b"), var("c"), true_exp})), "bool");
  EXPECT_EQ(type_of(in, apply(nat_nor, {var("b"), var("i")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_arrow, {var("h"), apply(nat_pre, {var("i")})})), "int");
}

TEST(ExpType, TupleComponentsAreConcatenatedIntoOneFlatList) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  const val_exp* pair = apply(nat_tuple, {int_lit("1"), real_lit("2.0")});
  EXPECT_EQ(type_of(in, pair), "int * real");
  EXPECT_EQ(type_of(in, apply(nat_tuple, {pair, var("b")})), "int * real * bool");
  EXPECT_EQ(type_of(in, call("f", {pair})), "int");
  EXPECT_EQ(type_of(in, call("f", {call("pair", {})})), "int");
  EXPECT_EQ(type_of(in, call("f", {var("i"), var("r")})), "int");
  EXPECT_EQ(type_of(in, call("nothing", {})), "");
  EXPECT_EQ(type_of(in, call("f", {var("r"), var("i")})),
            "Type_error: bad type combination");
}

// (i, (i, (... (i, last)))) with `levels` tuples.
const val_exp* nested_tuple(std::size_t levels, const val_exp* last) {
  const val_exp* e = last;
  for (std::size_t level = 0; level < levels; ++level)
    e = apply(nat_tuple, {var("i"), e});
  return e;
}

std::size_t kept_types(const env& environment) {
  std::size_t count = 0;
  for (const type_list& types : environment.lists) count += types.size();
  return count;
}

TEST(ExpType, ANestedTupleKeepsOneFlatListNotOnePerLevel) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  constexpr std::size_t levels = 3000;
  std::size_t before = kept_types(in);
  const type_list& types = exp_type(in, nested_tuple(levels, var("r")));
  ASSERT_EQ(types.size(), levels + 1);
  EXPECT_EQ(types.front()->kind, int_eff);
  EXPECT_EQ(types.back()->kind, real_eff);
  EXPECT_LE(kept_types(in) - before, levels + 1);
  // A fault at the bottom still comes out, and an inner tuple typed first is
  // taken as it was typed.
  EXPECT_EQ(type_of(in, nested_tuple(levels, apply(nat_plus, {var("i"), var("r")}))),
            "Type_error: bad type combination");
  const val_exp* inner = nested_tuple(2, var("b"));
  EXPECT_EQ(type_of(in, inner), "int * int * bool");
  EXPECT_EQ(type_of(in, apply(nat_tuple, {inner, apply(nat_tuple, {var("r"), inner})})),
            "int * int * bool * real * int * int * bool");
}

TEST(ExpType, TupleValuedOperandsFitOnlyWhereTheRuleHasRoomForAllTheirComponents) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  const val_exp* ij = apply(nat_tuple, {var("i"), var("j")});
  EXPECT_EQ(type_of(in, apply(nat_if, {var("c"), ij, ij})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_pre, {ij})), "Type_error: bad type combination");
  EXPECT_EQ(type_of(in, apply(nat_eq, {ij, ij})), "Type_error: bad type combination");
  // The rule looks at the flat list only: a condition giving (bool, int) and a
  // branch giving nothing make the list the rule of `if` asks for.
  const val_exp* c_and_i = apply(nat_tuple, {var("c"), var("i")});
  EXPECT_EQ(type_of(in, apply(nat_if, {c_and_i, var("j"), call("nothing", {})})), "int");
}

TEST(ExpType, OperandsAreTypedBeforeTheRuleOrTheCalleeIsLookedAt) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  EXPECT_EQ(type_of(in, call("g", {var("i")})), "Global_error: undeclared operatorg");
  EXPECT_EQ(type_of(in, call("g", {var("zz")})),
            "Global_error: Typing.ident_type: undeclared flow: zz");
  EXPECT_EQ(type_of(in, apply(nat_when, {var("i"), var("c")})),
            "Internal_error: Typing.exp_type: operator not implemented");
  EXPECT_EQ(type_of(in, apply(nat_when, {var("zz"), var("c")})),
            "Global_error: Typing.ident_type: undeclared flow: zz");
  EXPECT_EQ(type_of(in, apply(nat_plus, {apply(nat_not, {var("i")}), var("zz")})),
            "Type_error: bad type combination");
}

TEST(ExpType, TheEmptyEnvironmentTypesOnlyLiterals) {
  EXPECT_EQ(
      type_of(*make_empty_env(), apply(nat_times, {real_lit("1.0"), real_lit("2.5")})),
      "real");
  EXPECT_EQ(type_of(*make_empty_env(), var("x")),
            "Global_error: Typing.ident_type: undeclared flow: x");
  EXPECT_EQ(type_of(*make_empty_env(), call("f", {})),
            "Global_error: undeclared operatorf");
}

TEST(ExpType, StructuresCompareByStructureAndArraysBySize) {
  package pack;
  add_struct(pack, "S",
             {{"a", int_type_exp()}, {"b", array_of(real_type_exp(), int_lit("2"))}});
  add_alias(pack, "A", named("S"));
  const node_def* node =
      make_node("N", {declared("u", named("S")), declared("v", named("A"))},
                {declared("w", array_of(int_type_exp(), int_lit("3"))),
                 declared("x", array_of(int_type_exp(), int_lit("4")))});
  add_node(pack, node);
  auto in = get_env(pack, node);
  EXPECT_EQ(type_of(*in, apply(nat_eq, {var("u"), var("v")})), "bool");
  EXPECT_EQ(type_of(*in, apply(nat_eq, {var("w"), var("x")})),
            "Type_error: bad type combination");
  EXPECT_EQ(type_of(*in, var("v")), "S(*sruct*)");
  EXPECT_EQ(type_of(*in, apply(nat_tuple, {var("w"), var("i_unknown")})),
            "Global_error: Typing.ident_type: undeclared flow: i_unknown");
  EXPECT_EQ(
      string_of_type_eff_list(exp_type(*in, apply(nat_tuple, {var("u"), var("w")}))),
      "S(*sruct*) * int^3");
}

// ---------------------------------------------------------------------------
// Clocks

TEST(ExpClock, WhenMovesToTheClockOfItsVariableAndCurrentBack) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  const val_exp* sampled = apply(nat_when, {var("i"), var("c")});
  EXPECT_EQ(clock_of(in, sampled), "when c");
  EXPECT_EQ(clock_of(in, apply(nat_current, {sampled})), "base");
  EXPECT_EQ(clock_of(in, apply(nat_plus, {var("h"), sampled})), "when c");
  EXPECT_EQ(clock_of(in, apply(nat_current, {var("h")})), "base");
  EXPECT_EQ(clock_of(in, int_lit("1")), "base");
}

TEST(ExpClock, MalformedOrMismatchedClocksAreReportedExactly) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  EXPECT_EQ(
      clock_of(in, apply(nat_when, {var("i"), apply(nat_and, {var("b"), var("c")})})),
      "Clock_error: snd operand of when must be a var");
  EXPECT_EQ(clock_of(in, apply(nat_plus, {var("h"), int_lit("1")})),
            "Clock_error: operands not on same clock");
  // Equal clocks are checked before the clock operand's form.
  EXPECT_EQ(clock_of(in, apply(nat_when, {var("h"), apply(nat_not, {var("b")})})),
            "Clock_error: operands not on same clock");
  EXPECT_EQ(clock_of(in, call("pair", {})), "Global_error: exp_clock : unexpected case");
  EXPECT_EQ(clock_of(in, apply(nat_current, {var("i")})),
            "Global_error: exp_clock : unexpected case in CURRENT_n");
  EXPECT_EQ(clock_of(in, apply(nat_plus, {var("h"), var("zz")})),
            "Global_error: exp_clock:  undeclared flow: zz");
  EXPECT_EQ(failure_of([&] { ident_clock(in, "zz"); }),
            "Global_error: exp_clock:  undeclared flow: zz");
}

// ---------------------------------------------------------------------------
// Environments

TEST(GetEnv, DeclarationErrorsAreReportedWithTheirNames) {
  auto error_of = [](const package& pack, const node_def* node = nullptr) {
    return failure_of([&] { get_env(pack, node); });
  };
  {
    package pack;
    add_alias(pack, "A", named("B"));
    add_alias(pack, "B", named("A"));
    EXPECT_EQ(error_of(pack), "Global_error: recursive definition of type B");
  }
  {
    package pack;
    add_struct(pack, "S", {{"next", named("S")}});
    EXPECT_EQ(error_of(pack), "Global_error: recursive definition of type S");
  }
  {
    package pack;
    add_const(pack, "k", named("U"), nullptr);
    EXPECT_EQ(error_of(pack), "Global_error: undeclared type U");
  }
  {
    package pack;
    add_const(pack, "n", int_type_exp(), int_lit("3"));
    add_alias(pack, "V", array_of(int_type_exp(), var("n")));
    EXPECT_EQ(error_of(pack), "Global_error: eval_const_int: unexpected case");
  }
  {
    package pack;
    add_alias(pack, "V", array_of(named("U"), int_lit("99999999999999999999")));
    EXPECT_EQ(error_of(pack),
              "Global_error: (int_of_zoint) \"99999999999999999999\" is not a valid "
              "numerical notation");
  }
  {
    package pack;
    const type_exp* items[] = {int_type_exp(), bool_type_exp()};
    add_const(pack, "k", make_tuple_type(items), nullptr);
    EXPECT_EQ(error_of(pack), "Global_error: tuple types not supported");
  }
  {
    package pack;
    add_const(pack, "k", nullptr, apply(nat_tuple, {int_lit("1"), int_lit("2")}));
    EXPECT_EQ(error_of(pack), "Global_error: tuple const not supported");
  }
}

TEST(GetEnv, ConstantsSeeEarlierConstantsButNoOperator) {
  package pack;
  add_const(pack, "a", nullptr, real_lit("1.5"));
  add_const(pack, "b", nullptr, apply(nat_times, {var("a"), var("a")}));
  add_func(pack, "f", {}, {param("r", int_type_exp())});
  auto in = get_env(pack);
  EXPECT_EQ(type_of(*in, var("b")), "real");

  add_const(pack, "c", nullptr, var("d"));
  add_const(pack, "d", int_type_exp(), int_lit("1"));
  EXPECT_EQ(failure_of([&] { get_env(pack); }),
            "Global_error: Typing.ident_type: undeclared flow: d");

  package calling;
  add_const(calling, "k", nullptr, call("f", {}));
  add_func(calling, "f", {}, {param("r", int_type_exp())});
  EXPECT_EQ(failure_of([&] { get_env(calling); }), "Global_error: undeclared operatorf");
}

TEST(GetEnv, EnumerationConstantsAreFlowsAndNamingTheTypeDeclaresThemTwice) {
  package pack;
  add_enum(pack, "E", {"red", "green"});
  auto in = get_env(pack);
  EXPECT_EQ(type_of(*in, var("green")), "E(*enum*)");
  EXPECT_EQ(types_walked(*in), "");

  add_const(pack, "k", named("E"), nullptr);
  EXPECT_EQ(failure_of([&] { get_env(pack); }), "Global_error: flow declared twice: red");
}

TEST(GetEnv, NodeFlowsMeetConstantsAndComeBeforeTheOperators) {
  package pack;
  add_const(pack, "k", int_type_exp(), int_lit("1"));
  const node_def* node =
      make_node("N", {declared("x", int_type_exp())}, {declared("y", int_type_exp())},
                {declared("k", bool_type_exp())});
  add_node(pack, node);
  add_func(pack, "f", {param("x", named("U"))}, {});
  EXPECT_EQ(failure_of([&] { get_env(pack, node); }),
            "Global_error: flow declared twice: k");
  EXPECT_EQ(failure_of([&] { get_env(pack); }), "Global_error: undeclared type U");
}

TEST(GetEnv, AnOperatorTableWithARepeatedNameIsRefused) {
  package pack;
  add_func(pack, "f", {param("x", int_type_exp())}, {param("y", int_type_exp())});
  add_func(pack, "g", {param("x", int_type_exp())}, {param("y", real_type_exp())});
  add_func(pack, "f", {param("x", named("Nope"))}, {param("y", int_type_exp())});
  EXPECT_EQ(failure_of([&] { get_env(pack); }), "Global_error: undeclared type Nope");
  package repeated;
  add_func(repeated, "f", {}, {param("y", int_type_exp())});
  add_func(repeated, "f", {}, {param("y", int_type_exp())});
  EXPECT_EQ(failure_of([&] { get_env(repeated); }),
            "Global_error: operator declared twice: f");
}

TEST(GetEnv, OperatorOutputsAreResolvedBeforeInputs) {
  package pack;
  add_func(pack, "f", {param("x", named("In"))}, {param("y", named("Out"))});
  EXPECT_EQ(failure_of([&] { get_env(pack); }), "Global_error: undeclared type Out");
}

TEST(GetEnv, DeclaredFlowsAreTypedAndClockedAndNeverRedeclared) {
  flows_fixture fixture;
  env& in = *fixture.environment;
  {
    type_eff local{real_eff};
    declare_flow(in, local, name("c"), name("fresh"));
  }
  EXPECT_EQ(type_of(in, apply(nat_plus, {var("fresh"), var("r")})), "real");
  EXPECT_EQ(clock_of(in, var("fresh")), "when c");
  EXPECT_EQ(
      failure_of([&] { declare_flow(in, ident_type(in, "i"), nullptr, name("fresh")); }),
      "Global_error: flow declared twice: fresh");
  EXPECT_EQ(failure_of([&] { ident_type(in, "zz"); }),
            "Global_error: Typing.ident_type: undeclared flow: zz");
}

TEST(IterOnTypes, WalksEveryNamedTypeLookedUpOnceUnderEachName) {
  package pack;
  add_struct(pack, "S", {{"a", int_type_exp()}});
  add_alias(pack, "A", named("S"));
  add_alias(pack, "I", int_type_exp());
  add_const(pack, "k", named("I"), nullptr);
  const node_def* node = make_node("N", {declared("x", named("A"))}, {});
  add_node(pack, node);
  auto in = get_env(pack);
  EXPECT_EQ(types_walked(*in), "S=S(*sruct*) I=int A=S(*sruct*) ");
}

TEST(TypeEff, TextsAndTypeExpressions) {
  package pack;
  add_struct(pack, "S", {{"a", int_type_exp()}});
  add_alias(pack, "A", named("S"));
  add_type(pack, {extern_type, name("X")});
  add_const(pack, "k", named("A"), nullptr);
  add_const(pack, "m", array_of(named("X"), int_lit("3")), nullptr);
  auto in = get_env(pack);
  EXPECT_EQ(string_of_type_eff(ident_type(*in, "m")), "X(*extern*)^3");
  const type_eff* listed[] = {&ident_type(*in, "k"), &ident_type(*in, "m")};
  EXPECT_EQ(string_of_type_eff_list(listed), "S(*sruct*) * X(*extern*)^3");
  EXPECT_EQ(string_of_type_eff_list({}), "");

  const type_exp* alias_back = type_exp_of_type_eff(ident_type(*in, "k"));
  ASSERT_EQ(alias_back->kind, named_type);
  EXPECT_EQ(alias_back->name->text(), "S");
  const type_exp* array_back = type_exp_of_type_eff(ident_type(*in, "m"));
  ASSERT_EQ(array_back->kind, array_type);
  EXPECT_EQ(array_back->size->kind(), nat_iconst);
  EXPECT_EQ(array_back->size->name()->text(), "3");
  EXPECT_EQ(array_back->element->name->text(), "X");
}

// ---------------------------------------------------------------------------
// A node environment layered on its package's

namespace {

// The types and clocks of the node's flows in the environment.
std::string described(const env& environment, const node_def& node) {
  std::string seen;
  auto show = [&](const flow& declared) {
    seen += std::string(declared.name->text()) + ":" +
            type_of(environment, ident_exp(declared.name)) + "/" +
            clock_of(environment, ident_exp(declared.name)) + " ";
  };
  for (const input_flow& input : node.inputs) show(input.var);
  for (const flow& output : node.outputs) show(output);
  for (const flow& local : node.locals) show(local);
  return seen;
}

// Everything observable of the environment of a node: its first error, or
// its walk of types and the types and clocks of the node's flows.
std::string observed(const std::function<std::unique_ptr<env>()>& build,
                     const node_def& node) {
  std::unique_ptr<env> environment;
  std::string failure = failure_of([&] { environment = build(); });
  if (!failure.empty()) return failure;
  return types_walked(*environment) + "|" + described(*environment, node);
}

void expect_layered_as_fresh(const package& pack, const node_def& node,
                             const std::string& expected) {
  std::string fresh = observed([&] { return get_env(pack, &node); }, node);
  EXPECT_EQ(fresh, expected);
  auto package_env = get_env(pack);
  std::string layered = observed([&] { return get_node_env(*package_env, node); }, node);
  EXPECT_EQ(layered, fresh);
}

}  // namespace

TEST(NodeEnv, ResolvesTypesInTheOrderAndWithTheErrorsOfAFreshEnvironment) {
  package pack;
  add_struct(pack, "S", {{"a", named("T")}});
  add_alias(pack, "T", int_type_exp());
  add_struct(pack, "R", {{"s", named("S")}});
  add_type(pack, {extern_type, name("U")});
  add_enum(pack, "E", {"red", "green"});
  add_const(pack, "k", int_type_exp(), int_lit("1"));
  add_func(pack, "f", {param("x", named("R"))}, {param("y", named("U"))});

  // The package resolved U, then R, for f only: a fresh environment of the
  // node resolves them in the order of the node's flows, before f.
  const node_def* uses_r =
      make_node("N1", {declared("x", named("R"))}, {declared("y", named("U"), "c")},
                {declared("c", bool_type_exp())});
  const char* r_then_u =
      "T=int S=S(*sruct*) R=R(*sruct*) U=U(*extern*) |"
      "x:R(*sruct*)/base y:U(*extern*)/when c c:bool/base ";
  expect_layered_as_fresh(pack, *uses_r, r_then_u);

  const node_def* uses_u = make_node("N2", {declared("x", named("U"))}, {});
  expect_layered_as_fresh(
      pack, *uses_u,
      "T=int S=S(*sruct*) U=U(*extern*) R=R(*sruct*) |x:U(*extern*)/base ");

  const node_def* names_enum = make_node("N3", {declared("x", named("E"))}, {});
  expect_layered_as_fresh(pack, *names_enum, "Global_error: flow declared twice: red");

  const node_def* shadows_enum_constant =
      make_node("N4", {declared("green", int_type_exp())}, {});
  expect_layered_as_fresh(pack, *shadows_enum_constant,
                          "Global_error: flow declared twice: green");

  const node_def* undeclared =
      make_node("N5", {declared("x", named("S"))}, {}, {declared("z", named("Nope"))});
  expect_layered_as_fresh(pack, *undeclared, "Global_error: undeclared type Nope");

  const node_def* shadows_k = make_node("N6", {}, {declared("k", int_type_exp())});
  expect_layered_as_fresh(pack, *shadows_k, "Global_error: flow declared twice: k");

  const node_def* twice =
      make_node("N7", {declared("x", named("U"))}, {}, {declared("x", named("R"))});
  expect_layered_as_fresh(pack, *twice, "Global_error: flow declared twice: x");

  add_node(pack, uses_r);
  expect_layered_as_fresh(pack, *uses_r, r_then_u);
}

TEST(NodeEnv, ARenewedEnvironmentForgetsThePreviousNode) {
  package pack;
  add_alias(pack, "T", int_type_exp());
  add_type(pack, {extern_type, name("U")});
  add_enum(pack, "E", {"red"});
  add_func(pack, "f", {param("x", named("U"))}, {param("y", named("T"))});
  const node_def* uses_u =
      make_node("N1", {declared("x", named("U"))}, {declared("y", int_type_exp())});
  const node_def* real_x =
      make_node("N2", {declared("x", real_type_exp())},
                {declared("y", bool_type_exp(), "c")}, {declared("c", bool_type_exp())});
  const node_def* names_enum = make_node("N3", {declared("x", named("E"))}, {});
  auto package_env = get_env(pack);
  std::unique_ptr<env> renewed;
  const val_exp* sum = apply(nat_plus, {var("x"), var("x")});
  // Node after node, a failed one included, the renewed environment
  // describes each node as a fresh one, and types anew what it typed before.
  for (const node_def* node : {uses_u, real_x, names_enum, uses_u, real_x}) {
    std::string fresh = observed([&] { return get_env(pack, node); }, *node);
    std::string failure =
        failure_of([&] { renew_node_env(renewed, *package_env, *node); });
    if (!failure.empty()) {
      EXPECT_EQ(failure, fresh);
      continue;
    }
    EXPECT_EQ(types_walked(*renewed) + "|" + described(*renewed, *node), fresh);
    EXPECT_EQ(type_of(*renewed, sum), type_of(*get_env(pack, node), sum));
  }
  EXPECT_EQ(type_of(*renewed, sum), "real");
}

TEST(NodeEnv, RefusesAnEnvironmentThatIsNotAPackagesOwn) {
  flows_fixture fixture;
  EXPECT_EQ(failure_of([&] { get_node_env(*fixture.environment, *fixture.node); }),
            "Internal_error: Typing.get_node_env: not the environment of a package");
}

// ---------------------------------------------------------------------------
// Cost. The linear walks take well under a second; the bound leaves room for
// the sanitizers on a busy machine.

constexpr auto linear_bound = std::chrono::seconds(4);

TEST(TypingCost, EveryOperandOfALongSumIsTypedInLinearTime) {
  flows_fixture fixture;
  const env& in = *fixture.environment;
  constexpr int terms = 100000;
  const val_exp* sum = var("i");
  for (int term = 1; term < terms; ++term)
    sum = apply(nat_plus, {sum, term % 2 == 0 ? var("j") : int_lit("1")});
  std::string type, clock;
  auto start = std::chrono::steady_clock::now();
  on_large_stack([&] {
    // As the writer does: the operands of every node, from the root down.
    for (const val_exp* node = sum; node->kind() == nat_plus; node = node->op(0))
      for (const val_exp* operand : node->ops()) exp_type(in, operand);
    type = string_of_type_eff_list(exp_type(in, sum));
    clock = clock_of(in, sum);
  });
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(type, "int");
  EXPECT_EQ(clock, "base");
  EXPECT_LT(elapsed, linear_bound);
}

TEST(TypingCost, NodeEnvironmentsCostTheirOwnFlowsOnly) {
  package pack;
  constexpr int nodes = 20000;
  add_struct(pack, "S", {{"a", int_type_exp()}});
  std::vector<const node_def*> all;
  for (int index = 0; index < nodes; ++index) {
    std::string suffix = std::to_string(index);
    all.push_back(make_node("N" + suffix, {declared("x" + suffix, named("S"))},
                            {declared("y", int_type_exp())}));
    add_node(pack, all.back());
  }
  auto start = std::chrono::steady_clock::now();
  auto package_env = get_env(pack);
  for (const node_def* node : all) get_node_env(*package_env, *node);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, linear_bound);
}
