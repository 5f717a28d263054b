#include "xzoDump.h"

#include <gtest/gtest.h>

#include <limits>

#include "tree_builders.h"
#include "xzoDumpScope.h"
#include "xzoUsrOps.h"

using namespace build;

namespace {

const type_exp* int_t() { return int_type_exp(); }
const type_exp* real_t() { return real_type_exp(); }
const type_exp* bool_t() { return bool_type_exp(); }

// A node "N" with these flows and equations, no assertion and no pragma.
node_def node_with(std::initializer_list<input_flow> inputs,
                   std::initializer_list<flow> outputs,
                   std::initializer_list<flow> locals, std::initializer_list<def> defs) {
  return node_def{id("N"), seq(inputs), seq(outputs), seq(locals), {}, seq(defs), {}};
}

// The text of the expression printed in the environment of the package and
// of its node "N".
print_outcome printed_in(const package& pack, const val_exp* e) {
  auto package_env = get_env(pack);
  auto node_env = get_node_env(*package_env, *pack.opers.find("N")->node);
  return print_into_string([&] { dump_val_exp(*node_env, e); });
}

std::string simple(const val_exp* e) {
  return print_into_string([&] { dump_simple_exp(e); }).text;
}

}  // namespace

TEST(Writer, PrintsAPackageInTheExactLayout) {
  package_builder source;
  source.type({struct_type,
               id("T"),
               nullptr,
               {},
               structure("T", {{id("a"), int_t()}, {id("b"), real_t()}})});
  source.constant({defined_const, id("k"), int_t(), lit("3")});
  source.function({false, id("f"), seq<typed_ident>({{id("x"), int_t()}}),
                   seq<typed_ident>({{id("r"), int_t()}})});
  const val_exp* body = node_of(
      nat_arrow, {lit("0"), node_of(nat_plus, {node_of(nat_pre, {var("y")}), var("x")})});
  source.node({id("N"), seq({input("x", int_t())}), seq({var_flow("y", int_t())}),
               seq({var_flow("v", int_t())}),
               seq({node_of(nat_gt, {var("x"), lit("0")})}),
               seq({equation({left_var("y")}, body),
                    equation({left_var("v")}, call("f", {var("x")}))}),
               seq<pragma>({id("MAIN")})});

  print_outcome result = print_into_string([&] { dump_pack(source.pack, {}); });
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(result.text,
            "type T = struct {a: int; b: real};\n"
            "const k = 3;\n"
            "function f (\nx : int\n) returns (\nr : int\n);\n"
            "node N (\n   x : int\n) returns (\n   y : int\n);\n"
            "var\n   v : int;\n"
            "let\n--%MAIN\n   assert (x > 0);\n"
            "   y = (0 -> (pre(y) + x));\n   v = f (x);\ntel\n");
}

TEST(Writer, PrintsTheItemsInTheirOwnOrderWhateverTheTablesOrder) {
  package_builder source;
  source.function({false, id("f"), {}, seq<typed_ident>({{id("r"), int_t()}})});
  source.function({false, id("g"), {}, seq<typed_ident>({{id("r"), bool_t()}})});
  source.constant({extern_const, id("c"), bool_t(), nullptr});
  std::swap(source.pack.items[0], source.pack.items[2]);
  print_outcome result = print_into_string([&] { dump_pack(source.pack, {}); });
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(result.text,
            "const c : bool;\n"
            "function g (\n__DUMMY : bool\n) returns (\nr : bool\n);\n"
            "function f (\n__DUMMY : bool\n) returns (\nr : int\n);\n");
}

TEST(Writer, PrintsEmptyListsWithTheirFixedTexts) {
  package_builder source;
  source.constant({extern_const, id("c"), bool_t(), nullptr});
  source.function({true, id("g"), {}, {}});
  source.node({id("N"),
               {},
               seq({var_flow("y", int_t()), var_flow("z", bool_t(), id("c"))}),
               {},
               {},
               seq({equation({left_var("y")}, call("g", {}))}),
               {}});
  print_outcome result = print_into_string([&] { dump_pack(source.pack, {}); });
  EXPECT_EQ(
      result.text,
      "const c : bool;\n"
      "unsafe function g (\n__DUMMY : bool\n) returns (\n\n);\n"
      "node N (\n__DUMMY : bool\n) returns (\n   y : int;\n   (z : bool) when c\n);\n"
      "let\n   y = g(true (*__DUMMY*));\ntel\n");
}

TEST(Writer, PrintsConstantInputsAndTypeDeclarations) {
  package_builder source;
  source.type({extern_type, id("E")});
  source.type({aliased_type, id("A"), make_array_type(int_t(), lit("3"))});
  source.node({id("N"),
               seq<input_flow>(
                   {{const_input, var_flow("n", named("A"))}, input("x", named("E"))}),
               seq({var_flow("y", int_t())}),
               {},
               {},
               {},
               {}});
  print_outcome result = print_into_string([&] { dump_pack(source.pack, {}); });
  EXPECT_EQ(
      result.text,
      "type E;\ntype A = int^3;\n"
      "node N (\n   const n : A;\n   x : E\n) returns (\n   y : int\n);\nlet\ntel\n");
}

TEST(Writer, ParenthesisesEveryBinaryNodeAndNoUnaryOne) {
  EXPECT_EQ(simple(node_of(nat_and, {node_of(nat_not, {var("a")}), var("b")})),
            "(not(a) and b)");
  EXPECT_EQ(
      simple(node_of(nat_plus, {var("x"), node_of(nat_times, {var("y"), var("z")})})),
      "(x + (y * z))");
  EXPECT_EQ(simple(node_of(nat_if, {var("c"), node_of(nat_uminus, {var("x")}),
                                    node_of(nat_int_conv, {real_lit("1.5")})})),
            "(if c then -(x) else int(1.5))");
  EXPECT_EQ(simple(node_of(nat_when, {node_of(nat_current, {var("x")}), var("c")})),
            "(current(x) when c)");
  EXPECT_EQ(simple(node_of(nat_diese, {var("a"), var("b")})), "# (a, b)");
  EXPECT_EQ(simple(node_of(nat_nor, {var("a")})), "nor (a)");
  EXPECT_EQ(simple(node_of(nat_tuple, {var("a"), lit("1")})), "(a, 1)");
  EXPECT_EQ(simple(node_of(nat_array, {var("a"), var("b")})), "[a, b]");
  EXPECT_EQ(simple(node_of(nat_hat, {var("a"), lit("2")})), "(a ^ 2)");
  EXPECT_EQ(simple(node_of(nat_slash, {node_of(nat_div, {var("a"), var("b")}),
                                       node_of(nat_mod, {var("a"), var("b")})})),
            "((a div b) / (a mod b))");
  EXPECT_EQ(simple(node_of(nat_impl, {node_of(nat_xor, {var("a"), var("b")}),
                                      node_of(nat_neq, {var("a"), var("b")})})),
            "((a xor b) => (a <> b))");
}

TEST(Writer, PrintsStructValuesInWrittenOrderAndIndexedAccesses) {
  auto* cons =
      run_arena().make<struct_cons>(struct_cons{id("T"), seq({id("b"), id("a")})});
  EXPECT_EQ(simple(node_of(struct_nature(cons), {real_lit("2.0"), lit("1")})),
            "T {b = 2.0; a = 1 }");
  auto* empty = run_arena().make<struct_cons>(struct_cons{id("T"), {}});
  EXPECT_EQ(simple(node_of(struct_nature(empty), {})), "T { }");
  EXPECT_EQ(simple(node_of(tuple_elem_nature(1), {call("f", {var("x")})})), "f (x)[1]");
  EXPECT_EQ(simple(node_of(array_elem_nature(lit("2")), {var("t")})), "t[2]");
}

TEST(Writer, PrintsEveryKindOfLeft) {
  const left* record = run_arena().make<left>(
      left{.kind = left_field, .inner = left_var("s"), .name = id("f")});
  const left* element =
      run_arena().make<left>(left{.kind = left_elem, .inner = record, .index = lit("1")});
  auto* stepless = run_arena().make<slice>(slice{lit("0"), lit("2"), nullptr});
  auto* stepped = run_arena().make<slice>(slice{lit("0"), lit("4"), lit("2")});
  const left* first = run_arena().make<left>(
      left{.kind = left_slice, .inner = left_var("t"), .range = stepless});
  const left* second = run_arena().make<left>(
      left{.kind = left_slice, .inner = left_var("u"), .range = stepped});
  def multiple = equation({element, first, second}, var("e"));
  EXPECT_EQ(print_into_string([&] { dump_def(*make_empty_env(), multiple); }).text,
            "   s.f[1], t[0 .. 2], u[0 .. 4 step 2] = e;\n");
  EXPECT_EQ(print_into_string([&] { dump_left(*make_empty_env(), *element); }).text,
            "s.f[1]");
  EXPECT_EQ(print_into_string([&] { dump_assert(*make_empty_env(), var("ok")); }).text,
            "   assert ok;\n");
}

TEST(Writer, PrintsComputedValuesAsTheirCanonicalTexts) {
  EXPECT_EQ(simple(make_val_exp(ival_nature(-5), {})), "-5");
  EXPECT_EQ(simple(make_val_exp(rval_nature(2.5), {})), "2.500000E+00");
  print_outcome refused = print_into_string(
      [] { dump_simple_exp(make_val_exp(rval_nature(12345.678), {})); });
  EXPECT_EQ(refused.failure,
            "(zoreal_of_float) \"1.234568E+04\" is not a valid numerical notation");
}

TEST(Writer, PrintsTheSmallestIntegerAsADifferenceSinceItsMagnitudeHasNoLiteral) {
  const val_exp* smallest =
      make_val_exp(ival_nature(std::numeric_limits<std::int64_t>::min()), {});
  EXPECT_EQ(simple(smallest), "(-9223372036854775807 - 1)");
  EXPECT_EQ(simple(make_val_exp(ival_nature(-9223372036854775807), {})),
            "-9223372036854775807");
  EXPECT_EQ(string_of_exp(*make_empty_env(), smallest, {.integer = true}),
            "UsrInt_-9223372036854775808");
}

TEST(WriterFailures, KeepWhatWasPrintedBeforeTheFailure) {
  package_builder source;
  source.constant({extern_const, id("c"), int_t(), nullptr});
  source.type({enum_type, id("Color"), nullptr, seq({id("red"), id("green")})});
  source.constant({extern_const, id("d"), int_t(), nullptr});
  print_outcome result = print_into_string([&] { dump_pack(source.pack, {}); });
  EXPECT_EQ(result.text, "const c : int;\n");
  EXPECT_EQ(result.failure, "enumerate types not implemented");

  const type_exp* bad_size = make_array_type(bool_t(), var("n"));
  result = print_into_string([&] { dump_type_exp(*make_empty_env(), *bad_size); });
  EXPECT_EQ(result.text, "bool");
  EXPECT_EQ(result.failure, "only constant array size implemented");

  const type_exp* pair = make_tuple_type(seq({int_t(), bool_t()}));
  EXPECT_EQ(print_into_string([&] { dump_type_exp(*make_empty_env(), *pair); }).text,
            "[int, bool]");
  result =
      print_into_string([&] { dump_type_exp(*make_empty_env(), *make_tuple_type({})); });
  EXPECT_EQ(result.text, "[");
  EXPECT_EQ(result.failure, "empty tuple type");
}

TEST(WriterFailures, AFieldMustBeDeclaredByExactlyOneStructureType) {
  package_builder source;
  source.type({struct_type,
               id("T"),
               nullptr,
               {},
               structure("T", {{id("a"), int_t()}, {id("b"), real_t()}})});
  source.type({struct_type,
               id("U"),
               nullptr,
               {},
               structure("U", {{id("b"), int_t()}, {id("c"), int_t()}})});
  source.node(node_with({input("s", named("T")), input("u", named("U"))},
                        {var_flow("y", int_t())}, {}, {}));
  auto package_env = get_env(source.pack);
  EXPECT_EQ(search_field_index(*package_env, "c"), 1);
  EXPECT_THROW(search_field_index(*package_env, "b"), Global_error);
  EXPECT_EQ(printed_in(source.pack, field(var("u"), "c")).text, "u[1]");
  EXPECT_EQ(printed_in(source.pack, field(var("s"), "a")).text, "s[0]");

  print_outcome shared =
      printed_in(source.pack, node_of(nat_plus, {var("x"), field(var("s"), "b")}));
  EXPECT_EQ(shared.text, "(x + s");
  EXPECT_EQ(shared.failure, "field not unique");
  print_outcome unknown = printed_in(source.pack, field(var("s"), "z"));
  EXPECT_EQ(unknown.text, "s");
  EXPECT_EQ(unknown.failure, "can'y find field");
}

TEST(WriterFailures, AStructureSeenUnderAnAliasDeclaresItsFieldsTwice) {
  package_builder source;
  source.type({struct_type, id("T"), nullptr, {}, structure("T", {{id("a"), int_t()}})});
  source.type({aliased_type, id("A"), named("T")});
  source.node(node_with({input("s", named("A"))}, {var_flow("y", int_t())}, {}, {}));
  EXPECT_EQ(printed_in(source.pack, field(var("s"), "a")).failure, "field not unique");
}

TEST(Writer, StringOfSimpleExpLeavesStandardOutputAloneEvenAfterAFailure) {
  EXPECT_EQ(string_of_simple_exp(node_of(nat_plus, {var("x"), lit("1")})), "(x + 1)");
  print_outcome outer = print_into_string([] {
    output::write("before ");
    EXPECT_THROW(string_of_simple_exp(field(var("s"), "a")), Global_error);
    output::write("after");
  });
  EXPECT_EQ(outer.text, "before after");
}

// Every operator kind, written with an independent list of the texts a zo
// file uses for it, so that a wrong entry of the kinds' table shows here.
TEST(Writer, WritesEveryOperatorWithItsOwnText) {
  const std::pair<exp_kind, std::string_view> binary[] = {
      {nat_arrow, "(a -> b)"}, {nat_when, "(a when b)"}, {nat_and, "(a and b)"},
      {nat_or, "(a or b)"},    {nat_xor, "(a xor b)"},   {nat_impl, "(a => b)"},
      {nat_eq, "(a = b)"},     {nat_neq, "(a <> b)"},    {nat_gte, "(a >= b)"},
      {nat_gt, "(a > b)"},     {nat_lte, "(a <= b)"},    {nat_lt, "(a < b)"},
      {nat_div, "(a div b)"},  {nat_mod, "(a mod b)"},   {nat_minus, "(a - b)"},
      {nat_plus, "(a + b)"},   {nat_slash, "(a / b)"},   {nat_times, "(a * b)"},
      {nat_hat, "(a ^ b)"}};
  for (auto [kind, text] : binary) {
    EXPECT_EQ(facts_of(kind).operands, exp_operands::binary) << text;
    EXPECT_EQ(simple(node_of(kind, {var("a"), var("b")})), text);
  }
  const std::pair<exp_kind, std::string_view> unary[] = {
      {nat_pre, "pre(a)"},  {nat_current, "current(a)"}, {nat_not, "not(a)"},
      {nat_uminus, "-(a)"}, {nat_real_conv, "real(a)"},  {nat_int_conv, "int(a)"}};
  for (auto [kind, text] : unary) {
    EXPECT_EQ(facts_of(kind).operands, exp_operands::unary) << text;
    EXPECT_EQ(simple(node_of(kind, {var("a")})), text);
  }
  int leaves = 0;
  for (const exp_kind_facts& facts : exp_kind_table)
    leaves += facts.operands == exp_operands::leaf;
  EXPECT_EQ(leaves, 7);  // true, false, the two literals, the two values, a name
}
