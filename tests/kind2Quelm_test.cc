#include "kind2Quelm.h"

#include <gtest/gtest.h>

#include "kind2QuelmInternal.h"
#include "tree_builders.h"
#include "xzo.h"
#include "xzoDecls.h"
#include "xzoDumpScope.h"
#include "xzoLexer.h"

using namespace build;
using namespace kind2_quelm;

namespace {

std::span<const pragma> notes(std::initializer_list<std::string_view> texts) {
  std::vector<pragma> made;
  for (std::string_view text : texts) made.push_back(id(text));
  return run_arena().copy(std::span<const pragma>(made));
}

// Reads the properties quietly, going on from no position made.
std::vector<const val_exp*> properties_of(std::span<const pragma> pragmas,
                                          lexeme& last_made) {
  reading_trace trace{verbosity(), last_made};
  return filter_property_pragmas(pragmas, trace);
}

std::vector<const val_exp*> properties_of(std::span<const pragma> pragmas) {
  lexeme last_made = dummy;
  return properties_of(pragmas, last_made);
}

// Adds the harness quietly and prints the package.
void add_harness(package& pack, const std::string& id) {
  lexeme last_made = dummy;
  reading_trace trace{verbosity(), last_made};
  doit(pack, id, {}, trace);
}

std::vector<std::string> texts_of(const std::vector<const val_exp*>& props) {
  std::vector<std::string> texts;
  for (const val_exp* prop : props) texts.push_back(string_of_simple_exp(prop));
  return texts;
}

// A node "N" with a constant input, a clocked output, a local, an assertion,
// its equations and these annotations.
node_def watched(std::string_view name, std::span<const pragma> pragmas) {
  return node_def{
      id(name),
      seq({input_flow{const_input, var_flow("k", int_type_exp())},
           input("c", bool_type_exp())}),
      seq({var_flow("y", int_type_exp(), id("c"))}),
      seq({var_flow("v", int_type_exp())}),
      seq({node_of(nat_gt, {var("k"), lit("0")})}),
      seq({equation({left_var("v")}, var("k")),
           equation({left_var("y")}, node_of(nat_when, {var("v"), var("c")}))}),
      pragmas};
}

}  // namespace

TEST(Properties, OnlyAnnotationsBeginningWithTheMarkAndClosedBySemicolonCount) {
  auto found = properties_of(
      notes({"MAIN;", "PROPERTY a;", " PROPERTY b;", "PROPERTY c", "PROPERTYd;",
             "property e;", "PROPERTY f and g; h;", "PROPERTY   x + 1 > 2 ;", ""}));
  EXPECT_EQ(texts_of(found),
            (std::vector<std::string>{"a", "(f and g)", "((x + 1) > 2)"}));
  EXPECT_TRUE(properties_of(notes({"MAIN;", "PROPERTY"})).empty());
}

TEST(Properties, AreReadWhereTheyStandInTheFile) {
  position_store positions(run_arena());
  pragma placed = store_add(positions, {"PROPERTY a + bc;", 4, 4, 19});
  auto found = properties_of(std::span<const pragma>(&placed, 1));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(texts_of(found), (std::vector<std::string>{"(a + bc)"}));

  pragma malformed = store_add(positions, {"PROPERTY a b;", 7, 1, 13});
  lexeme last_made = dummy;
  EXPECT_THROW(properties_of(std::span<const pragma>(&malformed, 1), last_made),
               Syntax_error);
  EXPECT_EQ(last_made.str, "b");
  EXPECT_EQ((std::vector<int>{last_made.line, last_made.cstart, last_made.cend}),
            (std::vector<int>{7, 12, 12}));
}

TEST(Properties, AreReadFromTheLastSoAnEmptyOneFailsAtTheTokenAfterIt) {
  position_store positions(run_arena());
  pragma first = store_add(positions, {"PROPERTY  ;", 2, 4, 14});
  pragma second = store_add(positions, {"PROPERTY zz;", 3, 4, 15});
  pragma both[] = {first, second};
  try {
    properties_of(both);
    ADD_FAILURE() << "an empty property read";
  } catch (const Syntax_error& failure) {
    EXPECT_EQ(failure.position.str, "zz");
    EXPECT_EQ(failure.position.line, 3);
  }
}

TEST(MakeAnd, NestsTheConjunctionToTheRight) {
  const val_exp* one[] = {var("p")};
  EXPECT_EQ(make_and(one), one[0]);
  const val_exp* three[] = {var("p"), var("q"), var("r")};
  EXPECT_EQ(string_of_simple_exp(make_and(three)), "(p and (q and r))");
}

TEST(HarnessFailures, ReportTheMissingPropertyAndEveryNameClashBeforePrinting) {
  package_builder quiet;
  quiet.node(watched("Quiet", notes({"MAIN;", "--%PROPERTY x;"})));
  print_outcome printed = print_into_string([&] { add_harness(quiet.pack, "h"); });
  EXPECT_EQ(printed.failure, "#NO MAIN PRAGMA");
  EXPECT_EQ(printed.text, "");

  package_builder clash;
  clash.function({false, id("f"), {}, seq<typed_ident>({{id("r"), int_type_exp()}})});
  clash.node(watched("N", notes({"PROPERTY c;"})));
  printed = print_into_string([&] { add_harness(clash.pack, "f"); });
  EXPECT_EQ(printed.failure, "operator f already declared");
  EXPECT_EQ(printed.text, "");
  EXPECT_EQ(clash.pack.items.size(), 2u);
  EXPECT_EQ(clash.pack.opers.find("f")->kind, func_oper);

  package_builder twice;
  node_def with_ok = watched("N", notes({"PROPERTY c;"}));
  with_ok.locals = seq({var_flow("h_ok", bool_type_exp())});
  twice.node(with_ok);
  printed = print_into_string([&] { add_harness(twice.pack, "h"); });
  EXPECT_EQ(printed.failure, "flow declared twice: h_ok");
  EXPECT_EQ(printed.text, "");
}
