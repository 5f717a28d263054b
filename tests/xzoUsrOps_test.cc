#include "xzoUsrOps.h"

#include <gtest/gtest.h>

#include "tree_builders.h"
#include "xzoDumpScope.h"
#include "xzoTypingEnv.h"

using namespace build;

namespace {

// A package with an alias of int, a structure, an external int constant and
// a node "N" over ints i, j, n (n of the alias type), reals r, q, Booleans
// a, b, c and a structure s.
package sample_package() {
  package_builder source;
  source.type({aliased_type, id("I"), int_type_exp()});
  source.type(
      {struct_type, id("T"), nullptr, {}, structure("T", {{id("f"), int_type_exp()}})});
  source.constant({extern_const, id("k"), int_type_exp(), nullptr});
  std::initializer_list<input_flow> inputs = {
      input("i", int_type_exp()),  input("j", int_type_exp()),
      input("n", named("I")),      input("r", real_type_exp()),
      input("q", real_type_exp()), input("a", bool_type_exp()),
      input("b", bool_type_exp()), input("c", bool_type_exp()),
      input("s", named("T"))};
  source.node(
      {id("N"), seq(inputs), seq({var_flow("y", int_type_exp())}), {}, {}, {}, {}});
  return std::move(source.pack);
}

class UsrOps : public ::testing::Test {
 protected:
  UsrOps()
      : pack(sample_package()),
        package_env(get_env(pack)),
        node_env(get_node_env(*package_env, *pack.opers.find("N")->node)) {}

  print_outcome print(const val_exp* e) {
    return print_into_string([&] { dump_val_exp(*node_env, e, modes); });
  }
  // The user function replacing the operator in those modes, "none" if none.
  std::string replaced(user_modes in, exp_kind kind,
                       std::initializer_list<const val_exp*> operands) {
    const char* name = usr_func_of(in, *node_env, node_of(kind, operands));
    return name == nullptr ? "none" : name;
  }
  std::string text(const val_exp* e) { return print(e).text; }

  package pack;
  std::unique_ptr<env> package_env;
  std::unique_ptr<env> node_env;
  user_modes modes;
};

}  // namespace

TEST_F(UsrOps, TablesAnswerByKindAndOperandTypes) {
  const user_modes integer{.integer = true}, real{.real = true}, boolean{.boolean = true};
  EXPECT_EQ(replaced(integer, nat_slash, {var("i"), var("j")}), "UsrIntDiv");
  EXPECT_EQ(replaced(integer, nat_div, {var("i"), var("n")}), "UsrIntDiv");
  EXPECT_EQ(replaced(integer, nat_uminus, {var("i")}), "UsrIntChs");
  EXPECT_EQ(replaced(real, nat_lt, {var("r"), var("q")}), "UsrRealLt");
  EXPECT_EQ(replaced(real, nat_if, {var("a"), var("r"), var("q")}), "UsrRealIf");
  EXPECT_EQ(replaced(boolean, nat_eq, {var("a"), var("b")}), "UsrBoolEq");
  EXPECT_EQ(replaced(real, nat_div, {var("r"), var("q")}), "none");
  EXPECT_EQ(replaced(integer, nat_lt, {var("r"), var("q")}), "none");
  EXPECT_EQ(replaced(boolean, nat_lt, {var("a"), var("b")}), "none");
  EXPECT_EQ(replaced(integer, nat_eq, {var("s"), var("s")}), "none");
  EXPECT_EQ(replaced(integer, nat_pre, {var("i")}), "none");
}

TEST_F(UsrOps, ModesOffAnswerWithoutTyping) {
  // The operand has no type; modes that are off must not ask for it.
  EXPECT_EQ(replaced({}, nat_plus, {field(var("s"), "f"), lit("1")}), "none");
  EXPECT_EQ(text(node_of(nat_plus, {field(var("s"), "f"), lit("1")})), "(s[0] + 1)");
}

TEST_F(UsrOps, IntegerModeReplacesOperatorsLiteralsAndTypes) {
  modes = {.integer = true};
  EXPECT_EQ(text(node_of(nat_plus, {node_of(nat_pre, {var("i")}), lit("1")})),
            "UsrIntPlus (pre(i), UsrInt_1)");
  EXPECT_EQ(text(node_of(nat_if, {var("c"), lit("0"), var("n")})),
            "UsrIntIf (c, UsrInt_0, n)");
  EXPECT_EQ(text(node_of(nat_lt, {var("i"), var("j")})), "UsrIntLt (i, j)");
  EXPECT_EQ(text(node_of(nat_lt, {var("r"), var("q")})), "(r < q)");
  EXPECT_EQ(text(make_val_exp(ival_nature(-5), {})), "UsrInt_-5");
  EXPECT_EQ(text(call("g", {})), "g(true (*__DUMMY*))");
  EXPECT_EQ(text(node_of(nat_eq, {node_of(nat_uminus, {var("i")}), lit("3")})),
            "UsrIntEq (UsrIntChs (i), UsrInt_3)");
  EXPECT_EQ(print_into_string([&] {
              dump_type_exp(*node_env, *make_array_type(int_type_exp(), lit("3")), modes);
            }).text,
            "UsrInt^3");
  EXPECT_EQ(print_into_string([&] {
              dump_const_def(*package_env, *pack.consts.find("k"), modes);
            }).text,
            "const k : UsrInt;\n");
}

TEST_F(UsrOps, RealModeRewritesLiteralTexts) {
  modes = {.real = true};
  EXPECT_EQ(text(node_of(nat_slash, {var("r"), real_lit("1.5e-3")})),
            "UsrRealDiv (r, UsrReal_1_5em3)");
  EXPECT_EQ(text(node_of(nat_div, {var("i"), var("j")})), "(i div j)");
  EXPECT_EQ(text(make_val_exp(rval_nature(2.5), {})), "UsrReal_2_500000Ep00");
  EXPECT_EQ(text(real_lit("0.5")), "UsrReal_0_5");
  EXPECT_EQ(correct_real("+1,2.3-4"), "p1,2_3m4");
}

TEST_F(UsrOps, BooleanModeLeavesIntegersAlone) {
  modes = {.boolean = true};
  EXPECT_EQ(text(node_of(nat_plus, {var("i"), lit("1")})), "(i + 1)");
  EXPECT_EQ(text(node_of(nat_and, {var("a"), node_of(nat_not, {false_exp})})),
            "UsrBoolAnd (a, UsrBoolNot (UsrBoolfalse))");
  EXPECT_EQ(print_into_string([&] { dump_pack(pack, modes); }).text,
            "type I = int;\ntype T = struct {f: int};\nconst k : int;\n"
            "node N (\n   i : int;\n   j : int;\n   n : I;\n   r : real;\n   q : real;\n"
            "   a : UsrBool;\n   b : UsrBool;\n   c : UsrBool;\n   s : T\n) returns (\n"
            "   y : int\n);\nlet\ntel\n");
}

TEST_F(UsrOps, CombinedModesTryIntegerThenRealThenBoolean) {
  modes = {.integer = true, .real = true, .boolean = true};
  EXPECT_EQ(text(node_of(nat_if, {var("c"), lit("1"), lit("2")})),
            "UsrIntIf (c, UsrInt_1, UsrInt_2)");
  EXPECT_EQ(text(node_of(nat_if, {var("c"), var("a"), var("b")})), "UsrBoolIf (c, a, b)");
  EXPECT_EQ(text(node_of(nat_or, {node_of(nat_gt, {var("r"), var("q")}), true_exp})),
            "UsrBoolOr (UsrRealGt (r, q), UsrBooltrue)");
  EXPECT_EQ(text(node_of(nat_tuple, {var("i"), node_of(nat_real_conv, {var("i")})})),
            "(i, real(i))");
}

TEST_F(UsrOps, AnOperandTypingCannotTypeStopsThePrint) {
  modes = {.integer = true};
  print_outcome mixed = print(
      node_of(nat_times, {node_of(nat_plus, {var("i"), real_lit("1.0")}), lit("2")}));
  EXPECT_EQ(mixed.text, "");
  EXPECT_EQ(mixed.failure, "Type_error: bad type combination");
  EXPECT_EQ(print(node_of(nat_pre, {field(var("s"), "f")})).failure,
            "Typing.exp_type: operator not implemented");
}

TEST_F(UsrOps, ADeepTupleIsTypedOnceNotOnceForEveryLevelAroundIt) {
  modes = {.integer = true};
  constexpr int levels = 1000;
  auto nested = [](const val_exp* last) {
    for (int level = 0; level < levels; ++level)
      last = node_of(nat_tuple, {var("i"), last});
    return last;
  };
  print_outcome printed = print(nested(node_of(nat_plus, {var("i"), lit("1")})));
  EXPECT_EQ(printed.failure, "");
  std::string expected;
  for (int level = 0; level < levels; ++level) expected += "(i, ";
  expected += "UsrIntPlus (i, UsrInt_1)" + std::string(levels, ')');
  EXPECT_EQ(printed.text, expected);
  std::size_t kept = 0;
  for (const type_list& types : node_env->lists) kept += types.size();
  EXPECT_LE(kept, std::size_t{4 * levels});
  // A component typing cannot type still stops the print, however deep.
  EXPECT_EQ(print(nested(node_of(nat_plus, {var("i"), var("r")}))).failure,
            "Type_error: bad type combination");
}
