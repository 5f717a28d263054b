#include "flat.h"

#include <gtest/gtest.h>

#include "tree_builders.h"
#include "xzoDumpScope.h"

using namespace build;

namespace {

const type_exp* int_t() { return int_type_exp(); }
const type_exp* bool_t() { return bool_type_exp(); }
const type_exp* real_t() { return real_type_exp(); }

const val_exp* bin(exp_kind kind, const val_exp* a, const val_exp* b) {
  return node_of(kind, {a, b});
}

// The equations as the writer prints them.
std::string equations_of(const node_def& node) {
  return print_into_string([&] {
           for (const def& equation : node.defs) dump_def(*make_empty_env(), equation);
         })
      .text;
}

// "name : type [when clock]" for each local, one per line.
std::string locals_of(const node_def& node) {
  return print_into_string([&] {
           for (const flow& local : node.locals) {
             output::write(local.name->text());
             output::write(" : ");
             dump_type_exp(*make_empty_env(), *local.type);
             if (local.clock != nullptr) {
               output::write(" when ");
               output::write(local.clock->text());
             }
             output::write("\n");
           }
         })
      .text;
}

// The failure that flattening the package's node "N" raises, as
// `print_into_string` names it, and what was printed before it.
print_outcome flat_outcome(const package& pack, std::string_view name = "N") {
  return print_into_string([&] { flat_node_in_package(name, pack, {}); });
}

}  // namespace

TEST(Flat, NestedApplicationsComeFirstInPostOrderAndTheRestStays) {
  package_builder source;
  const val_exp* assertion = bin(nat_gt, bin(nat_plus, var("a"), lit("1")), lit("0"));
  const val_exp* plain = bin(nat_plus, var("a"), var("b"));
  source.node(
      {id("N"),
       seq({input("a", int_t()), input("b", int_t()), input("c", int_t()),
            input("d", int_t())}),
       seq({var_flow("y", int_t()), var_flow("z", int_t())}),
       seq({var_flow("w", int_t())}), seq({assertion}),
       seq({equation({left_var("y")}, bin(nat_times, bin(nat_plus, var("a"), var("b")),
                                          bin(nat_minus, var("c"), var("d")))),
            equation({left_var("z")},
                     node_of(nat_pre, {bin(nat_plus, var("y"), lit("1"))})),
            equation({left_var("w")}, plain)}),
       seq<pragma>({id("MAIN")})});
  const node_def& node = *source.pack.opers.find("N")->node;

  const node_def& flat = *flat_this_node(source.pack, node);

  EXPECT_EQ(equations_of(flat),
            "   _flat_000 = (a + b);\n"
            "   _flat_001 = (c - d);\n"
            "   y = (_flat_000 * _flat_001);\n"
            "   _flat_002 = (y + 1);\n"
            "   z = pre(_flat_002);\n"
            "   w = (a + b);\n");
  EXPECT_EQ(locals_of(flat),
            "w : int\n_flat_000 : int\n_flat_001 : int\n_flat_002 : int\n");
  // What needs no flattening is the very same tree; assertions stay as written.
  EXPECT_EQ(flat.defs[5].exp, plain);
  ASSERT_EQ(flat.asserts.size(), 1u);
  EXPECT_EQ(flat.asserts[0], assertion);
  EXPECT_EQ(flat.pragmas.size(), 1u);
  EXPECT_EQ(flat.inputs.data(), node.inputs.data());
  EXPECT_EQ(flat.outputs.data(), node.outputs.data());
  EXPECT_EQ(node.defs.size(), 3u);
}

TEST(Flat, FreshNamesSkipEveryNameTheEnvironmentKnows) {
  package_builder source;
  source.type({enum_type, id("Color"), nullptr, seq({id("_flat_004")})});
  source.constant({defined_const, id("_flat_002"), int_t(), lit("7")});
  const val_exp* shared = bin(nat_plus, var("_flat_000"), lit("1"));
  source.node({id("N"),
               seq({input("_flat_000", int_t())}),
               seq({var_flow("y", int_t())}),
               seq({var_flow("_flat_001", int_t())}),
               {},
               seq({equation({left_var("y")},
                             bin(nat_times, bin(nat_times, shared, shared),
                                 bin(nat_plus, var("_flat_001"), var("_flat_002")))),
                    equation({left_var("_flat_001")},
                             node_of(nat_uminus, {node_of(nat_uminus, {lit("3")})}))}),
               {}});

  const node_def& flat = *flat_this_node(source.pack, *source.pack.opers.find("N")->node);

  // A subexpression met twice gets two variables.
  EXPECT_EQ(equations_of(flat),
            "   _flat_003 = (_flat_000 + 1);\n"
            "   _flat_005 = (_flat_000 + 1);\n"
            "   _flat_006 = (_flat_003 * _flat_005);\n"
            "   _flat_007 = (_flat_001 + _flat_002);\n"
            "   y = (_flat_006 * _flat_007);\n"
            "   _flat_008 = -(3);\n"
            "   _flat_001 = -(_flat_008);\n");
}

TEST(Flat, NamesGoOnPastThreeDigits) {
  const val_exp* sum = var("x");
  for (int term = 0; term < 1002; ++term) sum = bin(nat_plus, sum, lit("1"));
  package_builder source;
  source.node({id("N"),
               seq({input("x", int_t())}),
               seq({var_flow("y", int_t())}),
               {},
               {},
               seq({equation({left_var("y")}, sum)}),
               {}});

  const node_def& flat = *flat_this_node(source.pack, *source.pack.opers.find("N")->node);

  ASSERT_EQ(flat.locals.size(), 1001u);
  EXPECT_EQ(flat.locals[0].name->text(), "_flat_000");
  EXPECT_EQ(flat.locals[999].name->text(), "_flat_999");
  EXPECT_EQ(flat.locals[1000].name->text(), "_flat_1000");
  EXPECT_EQ(print_into_string([&] { dump_def(*make_empty_env(), flat.defs[1000]); }).text,
            "   _flat_1000 = (_flat_999 + 1);\n");
  EXPECT_EQ(print_into_string([&] { dump_def(*make_empty_env(), flat.defs[1001]); }).text,
            "   y = (_flat_1000 + 1);\n");
}

TEST(Flat, NewLocalsTakeTheTypeAndClockTypingGives) {
  package_builder source;
  source.type({struct_type, id("T"), nullptr, {}, structure("T", {{id("a"), int_t()}})});
  source.type({aliased_type, id("A"), named("T")});
  source.type({aliased_type, id("V"), make_array_type(bool_t(), lit("3"))});
  source.node(
      {id("N"),
       seq({input("t", named("A")), input("v", named("V")), input("c", bool_t()),
            input("x", int_t())}),
       seq({var_flow("y", named("A")), var_flow("w", named("V")),
            var_flow("r", real_t())}),
       seq({var_flow("u", int_t(), id("c")), var_flow("s", int_t())}),
       {},
       seq({equation({left_var("y")},
                     bin(nat_arrow, var("t"), node_of(nat_pre, {var("t")}))),
            equation({left_var("w")}, node_of(nat_pre, {node_of(nat_pre, {var("v")})})),
            equation({left_var("u")},
                     bin(nat_plus, bin(nat_plus, var("u"), var("u")), var("u"))),
            equation({left_var("s")},
                     bin(nat_plus, node_of(nat_current, {var("u")}), var("x"))),
            equation({left_var("r")}, bin(nat_times, node_of(nat_real_conv, {var("x")}),
                                          real_lit("2.5")))}),
       {}});

  const node_def& flat = *flat_this_node(source.pack, *source.pack.opers.find("N")->node);

  // An alias comes back under the aliased type's name.
  EXPECT_EQ(locals_of(flat),
            "u : int when c\n"
            "s : int\n"
            "_flat_000 : T\n"
            "_flat_001 : bool^3\n"
            "_flat_002 : int when c\n"
            "_flat_003 : int\n"
            "_flat_004 : real\n");
}

TEST(Flat, NestedOperandsWithoutExactlyOneValueAreRefused) {
  package_builder source;
  source.function({false, id("g"), seq<typed_ident>({{id("a"), int_t()}}),
                   seq<typed_ident>({{id("p"), int_t()}, {id("q"), int_t()}})});
  source.function({false, id("h"),
                   seq<typed_ident>({{id("a"), int_t()}, {id("b"), int_t()}}),
                   seq<typed_ident>({{id("r"), int_t()}})});
  source.function({false, id("none"), seq<typed_ident>({{id("a"), int_t()}}), {}});
  auto node_computing = [&](std::string_view name, const val_exp* right) {
    source.node({id(name),
                 seq({input("x", int_t())}),
                 seq({var_flow("y", int_t())}),
                 {},
                 {},
                 seq({equation({left_var("y")}, right)}),
                 {}});
  };
  node_computing("Pair", call("h", {call("g", {var("x")})}));
  node_computing("Empty", bin(nat_plus, call("none", {var("x")}), lit("1")));
  node_computing("Tuple", call("h", {node_of(nat_tuple, {var("x"), var("x")})}));
  // A tuple of two values is accepted where it stands at the top.
  node_computing("Top", call("g", {bin(nat_plus, var("x"), lit("1"))}));

  for (std::string_view name : {"Pair", "Empty", "Tuple"}) {
    print_outcome outcome = flat_outcome(source.pack, name);
    EXPECT_EQ(outcome.failure, "tuples not yet implemented") << name;
    EXPECT_EQ(outcome.text, "") << name;
  }
  EXPECT_EQ(flat_outcome(source.pack, "Top").failure, "");
}

TEST(Flat, TypingAndClockingFailuresOfNestedOperandsPassThrough) {
  package_builder source;
  auto node_computing = [&](std::string_view name, const val_exp* right) {
    source.node({id(name),
                 seq({input("x", int_t()), input("c", bool_t())}),
                 seq({var_flow("y", int_t())}),
                 seq({var_flow("u", int_t(), id("c"))}),
                 {},
                 seq({equation({left_var("y")}, right)}),
                 {}});
  };
  node_computing("Clock", bin(nat_plus, bin(nat_plus, var("u"), var("x")), lit("1")));
  node_computing("Type",
                 bin(nat_plus, bin(nat_plus, var("x"), real_lit("1.0")), lit("1")));
  node_computing("Flow", bin(nat_plus, bin(nat_plus, var("q"), lit("1")), lit("1")));
  // The top of a right side is neither typed nor clocked.
  node_computing("Top", bin(nat_plus, var("u"), var("x")));

  EXPECT_EQ(flat_outcome(source.pack, "Clock").failure,
            "Clock_error: operands not on same clock");
  EXPECT_EQ(flat_outcome(source.pack, "Type").failure,
            "Type_error: bad type combination");
  EXPECT_EQ(flat_outcome(source.pack, "Flow").failure,
            "Typing.ident_type: undeclared flow: q");
  EXPECT_EQ(flat_outcome(source.pack, "Top").failure, "");
}

TEST(Flat, OnlyANodeOfThePackageCanBeFlattened) {
  package_builder source;
  source.function({false, id("f"), seq<typed_ident>({{id("a"), int_t()}}),
                   seq<typed_ident>({{id("r"), int_t()}})});

  print_outcome missing = flat_outcome(source.pack, "N");
  EXPECT_EQ(missing.failure, "undeclared node N");
  EXPECT_EQ(missing.text, "");
  print_outcome function = flat_outcome(source.pack, "f");
  EXPECT_EQ(function.failure, "f sould be a node name");
  EXPECT_EQ(function.text, "");
}

TEST(Flat, ThePackageGivenStaysAsItWas) {
  package_builder source;
  const val_exp* right = bin(nat_times, bin(nat_plus, var("x"), lit("1")), lit("2"));
  source.node({id("N"),
               seq({input("x", int_t())}),
               seq({var_flow("y", int_t())}),
               {},
               {},
               seq({equation({left_var("y")}, right)}),
               {}});
  std::string before = print_into_string([&] { dump_pack(source.pack, {}); }).text;

  print_outcome flat = flat_outcome(source.pack);

  EXPECT_EQ(flat.failure, "");
  EXPECT_EQ(
      flat.text,
      "node N (\n   x : int\n) returns (\n   y : int\n);\nvar\n   _flat_000 : int;\n"
      "let\n   _flat_000 = (x + 1);\n   y = (_flat_000 * 2);\ntel\n");
  EXPECT_EQ(print_into_string([&] { dump_pack(source.pack, {}); }).text, before);
  EXPECT_EQ(source.pack.opers.find("N")->node->defs[0].exp, right);
}
