#include "xzoDeps.h"

#include <gtest/gtest.h>

#include <string>

#include "xzoPlaces.h"

namespace {

// The node named N of the program.
const node_def& node_n(const package& pack) { return *pack.opers.find("N")->node; }

// The order as the first left of each equation, "a b c"; or the cycle as
// "cycle x:4 y:5", each flow with the line of its left, and " (parts)" when
// the cycle goes through a flow defined in parts.
std::string shown_order(const std::string& text) {
  package pack;
  reading_places places;
  read_checked(text, pack, places);
  const node_def& node = node_n(pack);
  equation_order order = order_equations(node);
  std::string shown;
  if (!order.cycle.empty()) {
    EXPECT_TRUE(order.equations.empty());
    shown = "cycle";
    for (ident flow : order.cycle)
      shown +=
          " " + std::string(flow->text()) + ":" + std::to_string(span_of_text(flow).line);
    if (order.through_part) shown += " (parts)";
    return shown;
  }
  EXPECT_FALSE(order.through_part);
  for (std::uint32_t position : order.equations) {
    const left* first = node.defs[position].lefts[0];
    while (first->kind != left_id) first = first->inner;
    shown += (shown.empty() ? "" : " ") + std::string(first->name->text());
  }
  return shown;
}

// The chain of a recursion as node names, "A B".
std::string shown_recursion(const std::string& text) {
  package pack;
  reading_places places;
  read_checked(text, pack, places);
  std::string shown;
  for (ident name : find_recursion(pack))
    shown += (shown.empty() ? "" : " ") + std::string(name->text());
  return shown;
}

// A node N on inputs x, c and output y, with these locals and this body.
std::string node_with(const std::string& locals, const std::string& body) {
  return "const k = 1; type T = struct { a : int; b : int };\n"
         "node D (i : int) returns (o : int);\nlet\n  o = 0 -> pre i;\ntel\n"
         "node N (x : int; c : bool) returns (y : int);\nvar " +
         locals + "\nlet\n" + body + "\ntel\n";
}

TEST(EquationOrder, EachEquationComesAfterWhatItReadsAndACycleIsNamedInOrder) {
  // Lines: the body's first equation is on line 9.
  struct table_case {
    const char* locals;
    const char* body;
    const char* expected;
  };
  const table_case cases[] = {
      // Already in order, reversed, a diamond: source order where free.
      {"a, b : int;", "a = x; b = a; y = b;", "a b y"},
      {"a, b : int;", "y = b;\nb = a + 1;\na = x;", "a b y"},
      {"a, b, d : int;", "y = d + b;\nd = a * b;\nb = a;\na = x + k;", "a b d y"},
      // A pre breaks the dependency; what is inside it is not read.
      {"a : int;", "a = 0 -> pre y;\ny = a + 1;", "a y"},
      {"a : int;", "y = pre (a + pre y);\na = y;", "y a"},
      // Every other operator reads at once.
      {"a : int;", "a = y + 1;\ny = a;", "cycle a:9 y:10"},
      {"a : int;", "y = y + 1;\na = 0;", "cycle y:9"},
      {"a : int;", "a = 0 -> y;\ny = if c then a else 1;", "cycle a:9 y:10"},
      {"a : int when c;", "a = y when c;\ny = current a;", "cycle a:9 y:10"},
      {"a : bool;", "a = #(c, y > 0);\ny = if a then 1 else 0;", "cycle a:9 y:10"},
      // The cycle starts at the first equation the search meets on it.
      {"a, b, d : int;", "a = x;\nb = d;\nd = y;\ny = b + a;", "cycle b:10 d:11 y:12"},
      // Lefts of a tuple are one equation.
      {"a, b : int;", "(a, b) = (y + 1, 2);\ny = x;", "y a"},
      {"a, b : int;", "(a, b) = (1, y);\ny = b;", "cycle b:9 y:10"},
      // A call reads its arguments at once, even when the node delays them.
      {"a : int;", "y = D(a);\na = D(y);", "cycle y:9 a:10"},
      {"a : int;", "y = D(pre a);\na = D(y);", "y a"},
      // A clocked flow's definition reads its clock.
      {"a : int when b; b : bool;", "a = 1;\nb = x > 0;\ny = current a;", "b a y"},
      {"a : int when b; b : bool;", "a = 1;\nb = current a > 0;\ny = 0;",
       "cycle a:9 b:10"},
      // Parts of a flow are ordered as the flow; an equation defining a part
      // does not wait for itself.
      {"s : T;", "s.a = 1;\ns.b = s.a + 1;\ny = s.b;", "s s y"},
      {"s : T; t : int;", "s.a = t;\nt = s.b;\ny = 0;", "cycle s:9 t:10 (parts)"},
      {"s : T; t : int;", "s.a = s.b + t;\ns.b = 1;\nt = s.b;\ny = 0;",
       "cycle s:9 t:11 (parts)"},
      // An index of a left is read, whatever the flow's type.
      {"s : int; i : int;", "s[i] = 1;\ns[1] = 2;\ni = x;\ny = 0;", "i s s y"},
  };
  for (const table_case& c : cases)
    EXPECT_EQ(shown_order(node_with(c.locals, c.body)), c.expected) << c.locals << "\n"
                                                                    << c.body;
}

TEST(EquationOrder, LongChainsAndDeepExpressionsNeedNoDeepStack) {
  constexpr int length = 100000;
  std::string locals;
  std::string body = "y = v0;\n";
  for (int i = 0; i < length; ++i) {
    locals += "v" + std::to_string(i) + ", ";
    body += "v" + std::to_string(i) + " = v" + std::to_string(i + 1) + ";\n";
  }
  locals += "v" + std::to_string(length) + " : int;";
  std::string chain = shown_order(node_with(locals, body + "v100000 = x;"));
  EXPECT_TRUE(chain.starts_with("v100000 v99999 ")) << chain.substr(0, 40);
  EXPECT_TRUE(chain.ends_with(" v1 v0 y"));
  std::string cycle = shown_order(node_with(locals, body + "v100000 = y;"));
  EXPECT_TRUE(cycle.starts_with("cycle y:9 v0:10 v1:11 ")) << cycle.substr(0, 40);
  EXPECT_TRUE(cycle.ends_with(" v100000:100010"));
  std::string deep = "y = ";
  for (int i = 0; i < length; ++i) deep += "(a + ";
  deep += "x" + std::string(length, ')') + ";\na = y;";
  EXPECT_EQ(shown_order(node_with("a : int;", deep)), "cycle y:9 a:10");
}

TEST(Recursion, AChainOfCallsBackToItsFirstNodeIsFound) {
  const std::string leaf =
      "function f (i : int) returns (o : int);\n"
      "node L (i : int) returns (o : int);\nlet o = f(i); tel\n";
  struct table_case {
    const char* nodes;
    const char* expected;
  };
  const table_case cases[] = {
      {"node A (i : int) returns (o : int);\nlet o = L(i) + L(i); tel\n", ""},
      {"node A (i : int) returns (o : int);\nlet o = 0 -> pre A(i); tel\n", "A"},
      {"node A (i : int) returns (o : int);\nlet o = B(i); tel\n"
       "node B (i : int) returns (o : int);\nlet o = L(i) + C(i); tel\n"
       "node C (i : int) returns (o : int);\nlet o = A(i); tel\n",
       "A B C"},
      // The chain starts where it closes, not at the node that leads to it.
      {"node A (i : int) returns (o : int);\nlet o = B(i); tel\n"
       "node B (i : int) returns (o : int);\nlet o = C(i); tel\n"
       "node C (i : int) returns (o : int);\nlet o = B(i); tel\n",
       "B C"},
      // A call in an assertion makes an instance too.
      {"node A (i : int) returns (o : int);\nlet assert A(i) > 0; o = i; tel\n", "A"},
  };
  for (const table_case& c : cases)
    EXPECT_EQ(shown_recursion(leaf + c.nodes), c.expected) << c.nodes;
}

TEST(Recursion, ALongChainOfCallsNeedsNoDeepStack) {
  constexpr int length = 100000;
  std::string text;
  for (int i = 0; i < length; ++i)
    text += "node N" + std::to_string(i) + " (i : int) returns (o : int);\nlet o = N" +
            std::to_string(i + 1) + "(i); tel\n";
  std::string last =
      "node N" + std::to_string(length) + " (i : int) returns (o : int);\n";
  EXPECT_EQ(shown_recursion(text + last + "let o = i; tel\n"), "");
  std::string chain = shown_recursion(text + last + "let o = N0(i); tel\n");
  EXPECT_TRUE(chain.starts_with("N0 N1 N2 ")) << chain.substr(0, 40);
  EXPECT_TRUE(chain.ends_with(" N99999 N100000"));
}

}  // namespace
