#include "cleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tree_builders.h"
#include "xzoDumpScope.h"

using namespace build;

namespace {

const type_exp* int_t() { return int_type_exp(); }
const type_exp* bool_t() { return bool_type_exp(); }

const val_exp* plus(const val_exp* a, const val_exp* b) {
  return node_of(nat_plus, {a, b});
}
const val_exp* gt(const val_exp* a, const val_exp* b) { return node_of(nat_gt, {a, b}); }

// What remains of a node: "inputs | locals | equation lefts | assertions".
std::string remains(const node_def& node) {
  std::string text;
  for (const input_flow& input : node.inputs)
    text += std::string(input.var.name->text()) + " ";
  text += "|";
  for (const flow& local : node.locals) text += " " + std::string(local.name->text());
  text += " |";
  for (const def& equation : node.defs) {
    text += " ";
    for (const left* item : equation.lefts) text += std::string(item->name->text()) + ",";
  }
  text += " |";
  for (const val_exp* assertion : node.asserts)
    text += " " + string_of_simple_exp(assertion);
  return text;
}

std::string cleaned(const node_def& node, bool erase_inputs) {
  return remains(node_cleaner(erase_inputs).clean(node));
}

}  // namespace

TEST(Cleanup, KeepsWhatTheOutputsNeedThroughDefinitionsAndAssertions) {
  node_def node{
      id("N"),
      seq({input("x", int_t()), input("u", int_t())}),
      seq({var_flow("y", int_t())}),
      seq({var_flow("a", int_t()), var_flow("b", int_t()), var_flow("dead", int_t()),
           var_flow("f", int_t()), var_flow("g", int_t()), var_flow("lone", int_t())}),
      seq({gt(var("u"), lit("0")), node_of(nat_true, {}), gt(var("b"), var("a")),
           gt(var("lone"), lit("1")), gt(var("b"), var("x"))}),
      seq({equation({left_var("y")}, plus(call("f", {node_of(nat_pre, {var("a")})}),
                                          field(var("x"), "g"))),
           equation({left_var("a")}, plus(var("y"), var("x"))),
           equation({left_var("b")}, lit("2")), equation({left_var("dead")}, var("u")),
           equation({left_var("lone")}, lit("3"))}),
      {}};
  // The names of a call and of a field are no variables: locals f and g go.
  EXPECT_EQ(cleaned(node, false), "x u | a b | y, a, b, | (b > a) (b > x)");
  EXPECT_EQ(cleaned(node, true), "x | a b | y, a, b, | (b > a) (b > x)");
}

TEST(Cleanup, SeveralLeftsStayWithTheirVariablesAndWhatTheyNeed) {
  node_def node{
      id("N"),
      seq({input("x", int_t()), input("u", int_t()), input("w", int_t())}),
      seq({var_flow("y", int_t())}),
      seq({var_flow("p", int_t()), var_flow("q", int_t()), var_flow("r", int_t()),
           var_flow("s", int_t())}),
      seq({gt(var("r"), var("w"))}),
      seq({equation({left_var("y")}, var("x")),
           equation({left_var("p"), left_var("q")},
                    node_of(nat_tuple, {var("r"), lit("1")})),
           equation({left_var("r")}, var("u")), equation({left_var("s")}, var("u"))}),
      {}};
  EXPECT_EQ(cleaned(node, true), "x u w | p q r | y, p,q, r, | (r > w)");
}

TEST(Cleanup, ANeededVariableKeepsItsClock) {
  node_def node{
      id("N"),
      seq({input("c", bool_t()), input_flow{var_input, var_flow("w", int_t(), id("c"))}}),
      seq({var_flow("y", int_t())}),
      seq({var_flow("l", int_t(), id("d")), var_flow("d", bool_t()),
           var_flow("e", bool_t())}),
      {},
      seq({equation({left_var("y")}, plus(node_of(nat_current, {var("w")}),
                                          node_of(nat_current, {var("l")}))),
           equation({left_var("l")}, node_of(nat_pre, {var("l")})),
           equation({left_var("d")}, var("e")),
           equation({left_var("e")}, node_of(nat_true, {}))}),
      {}};
  EXPECT_EQ(cleaned(node, true), "c w | l d e | y, l, d, e, |");
}

TEST(Cleanup, AnAssertionChainAsLongAsTheNodeIsFollowedToItsEnd) {
  // Assertion i links a_i to a_(i+1), listed last link first, and each local
  // is defined from the next: marking follows both chains to their ends.
  constexpr int length = 100000;
  auto name = [](const char* prefix, int i) {
    return std::string(prefix) + std::to_string(i);
  };
  std::vector<flow> locals;
  std::vector<const val_exp*> asserts;
  std::vector<def> defs{equation({left_var("y")}, plus(var("a0"), var("b0")))};
  for (int i = 0; i <= length; ++i) {
    locals.push_back(var_flow(name("a", i), int_t()));
    locals.push_back(var_flow(name("b", i), int_t()));
  }
  for (int i = length - 1; i >= 0; --i)
    asserts.push_back(gt(var(name("a", i)), var(name("a", i + 1))));
  asserts.push_back(gt(var("x"), lit("0")));
  for (int i = 0; i < length; ++i)
    defs.push_back(equation({left_var(name("b", i))}, var(name("b", i + 1))));
  node_def node{id("N"),
                seq({input("x", int_t())}),
                seq({var_flow("y", int_t())}),
                run_arena().copy(std::span<const flow>(locals)),
                run_arena().copy(std::span<const val_exp* const>(asserts)),
                run_arena().copy(std::span<const def>(defs)),
                {}};
  node_cleaner cleaner(true);
  node_def result = cleaner.clean(node);
  EXPECT_TRUE(result.inputs.empty());
  EXPECT_EQ(result.locals.size(), locals.size());
  EXPECT_EQ(result.defs.size(), defs.size());
  ASSERT_EQ(result.asserts.size(), asserts.size() - 1);
  EXPECT_EQ(result.asserts.front(), asserts.front());
  EXPECT_EQ(result.asserts.back(), asserts[asserts.size() - 2]);
}

TEST(Cleanup, AFieldLeftFailsLikeTheDefinitionsTable) {
  const left* item = run_arena().make<left>(
      left{.kind = left_field, .inner = left_var("s"), .name = id("a")});
  node_def node{id("N"), {}, seq({var_flow("s", int_t())}),
                {},      {}, seq({def{seq({item}), lit("1")}}),
                {}};
  try {
    node_cleaner(false).clean(node);
    FAIL() << "no failure";
  } catch (const Internal_error& failure) {
    EXPECT_EQ(failure.function, "make_def_table::treat_equation");
    EXPECT_EQ(failure.message, "not implemented");
  }
}

TEST(CleanupPackage, PrintsTheCleanedNodesAloneInDeclarationOrder) {
  package_builder source;
  source.function({false, id("f"), {}, seq<typed_ident>({{id("r"), int_t()}})});
  source.constant({defined_const, id("k"), int_t(), lit("3")});
  // The duplicate local is erased, so its node is printed without failure;
  // the needed one of the next node stays, and fails that node's environment.
  source.node({id("B"),
               {},
               seq({var_flow("y", int_t())}),
               seq({var_flow("v", int_t()), var_flow("v", int_t())}),
               {},
               seq({equation({left_var("y")}, var("k"))}),
               {}});
  source.node({id("A"),
               seq({input("x", int_t())}),
               seq({var_flow("z", bool_t())}),
               seq({var_flow("x", int_t())}),
               {},
               seq({equation({left_var("z")}, gt(var("x"), lit("0")))}),
               {}});
  print_outcome result =
      print_into_string([&] { cleanup_package(source.pack, true, {}); });
  EXPECT_EQ(result.text,
            "node B (\n__DUMMY : bool\n) returns (\n   y : int\n);\n"
            "let\n   y = k;\ntel\n");
  EXPECT_EQ(result.failure, "flow declared twice: x");
}
