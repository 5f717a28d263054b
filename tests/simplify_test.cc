#include "simplify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "simplifyInternal.h"
#include "structuralIds.h"
#include "xzo.h"
#include "xzoDecls.h"
#include "xzoDump.h"
#include "xzoDumpScope.h"
#include "xzoParser.hh"

namespace {

// The simplified right sides of a node's equations, printed one per line.
// Inputs a, b, c, d are Boolean, i, j integer, r, s real; locals are named
// by their equations and need no declaration for simplification.
std::string simplified(std::string_view body) {
  static std::vector<std::string> texts;  // positions point into the texts
  texts.push_back(
      "node n (a, b, c, d : bool; i, j : int; r, s : real) returns (o : int); let " +
      std::string(body) + " tel");
  package pack;
  position_store positions(run_arena());
  parse_context context{{texts.back()}, entry_point::file, pack, positions};
  if (parse(context) != 0) throw Syntax_error{context.buffer.last_made};
  const node_def* node = simplify_node(*pack.opers.find("n")->node);
  std::string lines;
  for (const def& equation : node->defs)
    lines += string_of_simple_exp(equation.exp) + "\n";
  return lines;
}

// Each case: the right side written, and its simplified text.
void expect_rewrites(std::initializer_list<std::pair<const char*, const char*>> cases) {
  for (auto [written, expected] : cases)
    EXPECT_EQ(simplified(std::string("x = ") + written + ";"),
              std::string(expected) + "\n")
        << written;
}

TEST(SimpRules, BooleanOperatorsFoldConstantsAndEqualOperands) {
  expect_rewrites({{"not not a", "a"},
                   {"not not not a", "not(a)"},
                   {"not true", "false"},
                   {"a and true", "a"},
                   {"false and a", "false"},
                   {"a and a", "a"},
                   {"a or false", "a"},
                   {"true or a", "true"},
                   {"(a and b) or (a and b)", "(a and b)"},
                   {"true xor a", "not(a)"},
                   {"a xor true", "not(a)"},
                   {"a xor a", "false"},
                   {"a => false", "not(a)"},
                   {"false => a", "true"},
                   {"a => a", "true"},
                   {"a = true", "a"},
                   {"false = a", "not(a)"},
                   {"a <> false", "a"},
                   {"true <> a", "not(a)"},
                   {"a and b", "(a and b)"}});
}

TEST(SimpRules, ComparisonsEvaluateIntegerAndRealValues) {
  expect_rewrites({{"1.0 < 2.0", "true"},
                   {"2 >= 3", "false"},
                   {"i >= i", "true"},
                   {"i > i", "false"},
                   {"r <= r", "true"},
                   {"i < i", "false"},
                   {"i = i", "true"},
                   {"i <> i", "false"},
                   {"0.0 = -0.0", "true"},
                   {"3 <> 4", "true"},
                   {"2.5 = 2.5", "true"},
                   {"i < j", "(i < j)"}});
}

TEST(SimpRules, EveryFoldedValueReadsBackToItself) {
  for (const char* written :
       {"9223372036854775807 + 1", "-9223372036854775807 - 2", "0 - 9223372036854775807",
        "-9223372036854775807 - 1 + i", "-5 * 3", "- - 0", "-2.5 * 1.0", "0.0 * -1.0",
        "1.0 / 3.0", "not true"}) {
    std::string once = simplified(std::string("x = ") + written + ";");
    once.pop_back();
    EXPECT_EQ(simplified("x = " + once + ";"), once + "\n") << written;
  }
}

TEST(SimpRules, IntegerArithmeticWrapsAndTruncates) {
  expect_rewrites({{"7 div 2", "3"},
                   {"-7 div 2", "-3"},
                   {"-7 mod 2", "-1"},
                   {"7 mod -2", "1"},
                   {"i div i", "1"},
                   {"i mod i", "0"},
                   {"i mod 1", "0"},
                   {"i div 1", "i"},
                   {"i / 1", "i"},
                   {"9223372036854775807 + 1", "(-9223372036854775807 - 1)"},
                   {"(-9223372036854775807 - 1) div -1", "(-9223372036854775807 - 1)"},
                   {"(-9223372036854775807 - 1) mod -1", "0"},
                   {"-(-9223372036854775807 - 1)", "(-9223372036854775807 - 1)"},
                   {"3037000500 * 3037000500", "-9223372036709301616"},
                   {"- - 3", "3"},
                   {"i - -3", "(i + 3)"},
                   {"i - 3", "(i - 3)"},
                   {"0 - i", "-(i)"},
                   {"0 + i", "i"},
                   {"i * 0", "0"},
                   {"1 * i", "i"},
                   {"-(-(-i))", "-(i)"}});
}

// An expression whose only change is that its literals became their values
// is kept as read, and still equals the same expression rebuilt.
TEST(SimpRules, ExpressionsKeptAsReadEqualTheirRebuiltForms) {
  EXPECT_EQ(simplified("y = i; x = (i + 3) = (y + 3); z = if a then y + 3 else i + 3;"),
            "i\ntrue\n(i + 3)\n");
  expect_rewrites({{"i + 007", "(i + 7)"},
                   {"(i + 0) * 2", "(i * 2)"},
                   {"(not not 3) + 1", "4"},
                   {"-(not not 3)", "-3"}});
}

TEST(SimpRules, RealArithmeticKeepsItsIdentitiesOnly) {
  expect_rewrites({{"1.5 + 2.5", "(1.500000E+00 + 2.500000E+00)"},
                   {"2.0 * 3.0", "(2.000000E+00 * 3.000000E+00)"},
                   {"r * 0.0", "0.000000E+00"},
                   {"r + -0.0", "r"},
                   {"r / 1.0", "r"},
                   {"1.0 * r", "r"},
                   {"0.0 - 2.5", "-2.500000E+00"},
                   {"r - -2.5", "(r + 2.500000E+00)"},
                   {"-0.0", "-0.000000E+00"},
                   {"real 3", "3.000000E+00"},
                   {"real 2.5", "real(2.500000E+00)"}});
}

TEST(SimpRules, ConditionalsWithConstantBranchesBecomeBooleanExpressions) {
  expect_rewrites({{"if a then i else j", "(if a then i else j)"},
                   {"if true then i else j", "i"},
                   {"if false then i else j", "j"},
                   {"if a then i else i", "i"},
                   {"if a then true else false", "a"},
                   {"if a then false else true", "not(a)"},
                   {"if a then false else false", "(not(a) and false)"},
                   {"if a then true else true", "(a or true)"},
                   {"if a then true else b", "(a or b)"},
                   {"if a then b else true", "(not(a) or b)"},
                   {"if a then b else false", "(a and b)"},
                   {"if a then false else b", "(not(a) and b)"}});
}

TEST(SimpRules, ZeroDivisorsAndIntConversionsFail) {
  for (const char* written :
       {"i div 0", "i mod 0", "i / 0", "r / 0.0", "i div (3 - 3)"}) {
    try {
      simplified(std::string("x = ") + written + ";");
      ADD_FAILURE() << written;
    } catch (const Fatal_error& failure) {
      EXPECT_STREQ(failure.name(), "Division_by_zero");
      EXPECT_STREQ(failure.what(), "division by zero");
    }
  }
  for (const char* written : {"int 3.5", "int r", "pre i + int r"}) {
    try {
      simplified(std::string("x = ") + written + ";");
      ADD_FAILURE() << written;
    } catch (const Global_error& failure) {
      EXPECT_EQ(failure.message, "int of real casting forbiden");
    }
  }
  EXPECT_EQ(simplified("x = pre (int r + 3 div 0);"), "pre((int(r) + (3 div 0)))\n");
}

TEST(Simplify, VariablesStandingForConstantsOrVariablesAreReplaced) {
  EXPECT_EQ(simplified("x = y; y = z; z = 5; w = i + 1; v = w; u = v * 2;"),
            "5\n5\n5\n(i + 1)\nw\n(w * 2)\n");
  EXPECT_EQ(simplified("c2 = 2; d2 = c2 * 3; e2 = d2 + i; t = pre(3 + 4);"),
            "2\n6\n(6 + i)\npre((3 + 4))\n");
  EXPECT_EQ(simplified("(p, q) = f(i); y = p; z = q + 0;"), "f (i)\np\nq\n");
  EXPECT_EQ(simplified("x = 1; x = 2; y = x;"), "2\n2\n2\n");
}

TEST(Simplify, AssertionsGiveFactsTheLatestOfWhichWins) {
  EXPECT_EQ(simplified("assert i > 0; t = i > 0; u = if t then 1 else 2;"), "true\n1\n");
  EXPECT_EQ(simplified("assert not a; y = a or b;"), "b\n");
  EXPECT_EQ(simplified("assert i = j + 1; y = i * 2;"), "((j + 1) * 2)\n");
  EXPECT_EQ(simplified("assert 3 = i; y = i;"), "3\n");
  EXPECT_EQ(simplified("assert i = 1; assert i = 2; y = i;"), "2\n");
  EXPECT_EQ(simplified("assert z = i; z = j; y = i;"), "j\nj\n");
}

// A fact meets the equal trees of its kind and those alone; a right side
// simplified while an assertion was read, before a later fact, stays what
// every equal expression simplifies to; equal operands that are distinct
// trees still compare equal.
TEST(Simplify, FactsReachEqualTreesAndEarlierResultsStay) {
  EXPECT_EQ(simplified("assert i = j + 1; assert j = 3; assert not (i > j); "
                       "x = if i > j then 1 else 2; p = i > 1; y = j + 1; z = i;"),
            "2\n((j + 1) > 1)\n(j + 1)\n(j + 1)\n");
  EXPECT_EQ(simplified("assert a; x = (i + 2) div (i + 2); y = (i * j = i * j) and a;"),
            "1\ntrue\n");
}

TEST(Simplify, InstantaneousCyclesAreReportedWithTheVariableMetAgain) {
  for (auto [body, var] :
       {std::pair{"x = y; y = x;", "x"}, std::pair{"a2 = b2 + 1; b2 = a2 + 1;", "a2"},
        std::pair{"(p, q) = f(p);", "p"}, std::pair{"x = if a then x else 0;", "x"}}) {
    try {
      simplified(body);
      ADD_FAILURE() << body;
    } catch (const Global_error& failure) {
      EXPECT_EQ(failure.message, std::string("cyclic definition of variable ") + var);
    }
  }
  EXPECT_EQ(simplified("x = pre y + 1; y = x;"), "(pre(y) + 1)\nx\n");
}

TEST(StructuralIds, NumberEqualStructuresAlikeAndShareNumbersAcrossDeepTrees) {
  structural_ids identity;
  const val_exp* x = exp_of_string("f(x + 1, -y)");
  const val_exp* also_x = exp_of_string("f (x+1, - y)");
  const val_exp* other = exp_of_string("f(x + 1, -z)");
  EXPECT_TRUE(identity.same(x, also_x));
  EXPECT_FALSE(identity.same(x, other));
  const val_exp* zero = make_val_exp(rval_nature(0.0), {});
  const val_exp* minus_zero = make_val_exp(rval_nature(-0.0), {});
  EXPECT_TRUE(identity.same(zero, minus_zero));
  EXPECT_FALSE(identity.same(zero, make_val_exp(ival_nature(0), {})));
  // Doubling a shared subtree forty times: equal, and numbered in linear time.
  std::size_t before = identity.count();
  const val_exp* left = exp_of_string("a");
  const val_exp* right = exp_of_string("a");
  for (int i = 0; i < 40; ++i) {
    const val_exp* pair_left[] = {left, left};
    const val_exp* pair_right[] = {right, right};
    left = make_val_exp(nat_plus, pair_left);
    right = make_val_exp(nat_plus, pair_right);
  }
  EXPECT_TRUE(identity.same(left, right));
  EXPECT_EQ(identity.count(), before + 41);
}

}  // namespace
