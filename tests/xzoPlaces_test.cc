#include "xzoPlaces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors.h"
#include "xzo.h"
#include "xzoLexer.h"

namespace {

std::string shown(const text_span& span) {
  return std::to_string(span.line) + ":" + std::to_string(span.cstart) + "-" +
         std::to_string(span.end_line) + ":" + std::to_string(span.cend);
}

// The right side of the first equation of the package's first operator.
const val_exp* first_right_side(const package& pack) {
  return pack.opers.begin()->value->node->defs[0].exp;
}

TEST(Places, SpanRunsFromFirstTokenToLastOverEveryShape) {
  package pack;
  reading_places places;
  read_checked(
      "node n (a : int) returns (b : int);\n"
      "let\n"
      "  b = if a > 0 then f(a, 1)\n"
      "      else -(a + 2) * pre a;\n"
      "tel\n",
      pack, places);
  const val_exp* right = first_right_side(pack);
  EXPECT_EQ(shown(span_of(places, right)), "3:7-4:27");
  EXPECT_EQ(shown(span_of(places, right->op(0))), "3:10-3:14");
  EXPECT_EQ(shown(span_of(places, right->op(1))), "3:21-3:27");
  // The minus in front of the parenthesis starts the product.
  EXPECT_EQ(shown(span_of(places, right->op(2))), "4:12-4:27");
  EXPECT_EQ(shown(places.own_tokens(right->op(2))), "4:21-4:21");
}

// Tokens that stay on the parser's stack while many more are read keep their
// own places: the "if" and the "(" of a call across long operands, and each
// "-" of a nesting deeper than the lexer's batches.
TEST(Places, TokensHeldOverLongOperandsKeepTheirPlaces) {
  std::string condition = "a";
  for (int count = 0; count < 150; ++count) condition += " + a";
  std::string arguments = "a";
  for (int count = 0; count < 150; ++count) arguments += ", a";
  const int nesting = 700;
  std::string nested;
  for (int count = 0; count < nesting; ++count) nested += "-(";
  nested += "a" + std::string(nesting, ')');
  std::string third_line = "  b = if " + condition + " then f(" + arguments + ")";
  std::string text = "node n (a : int) returns (b : int);\nlet\n" + third_line +
                     "\n else " + nested + ";\ntel\n";
  package pack;
  reading_places places;
  read_checked(text, pack, places);
  const val_exp* right = first_right_side(pack);
  EXPECT_EQ(shown(span_of(places, right)).substr(0, 6), "3:7-4:");
  int call_start = static_cast<int>(third_line.find("f(")) + 1;
  EXPECT_EQ(
      shown(span_of(places, right->op(1))),
      "3:" + std::to_string(call_start) + "-3:" + std::to_string(third_line.size()));
  const val_exp* negation = right->op(2);
  for (int level = 0; level < nesting; ++level) {
    ASSERT_EQ(negation->kind(), nat_uminus);
    int column = 7 + 2 * level;
    ASSERT_EQ(shown(places.own_tokens(negation)),
              "4:" + std::to_string(column) + "-4:" + std::to_string(column))
        << level;
    negation = negation->op(0);
  }
}

TEST(Places, LeavesAreNotSharedSoEachOccurrenceKeepsItsPlace) {
  package pack;
  reading_places places;
  read_checked("node n (x : bool) returns (y : bool);\nlet y = x and x or true; tel\n",
               pack, places);
  const val_exp* right = first_right_side(pack);
  const val_exp* conjunction = right->op(0);
  EXPECT_NE(conjunction->op(0), conjunction->op(1));
  EXPECT_EQ(shown(span_of(places, conjunction->op(1))), "2:15-2:15");
  EXPECT_EQ(shown(span_of(places, right->op(1))), "2:20-2:23");
}

TEST(Places, RepeatedDeclarationsAreRecordedAndReadingGoesOn) {
  package pack;
  reading_places places;
  read_checked(
      "const k = 1;\nconst k = 2;\ntype t = struct { x : int; x : bool };\n"
      "type t;\nfunction f (a : int) returns (b : int);\nconst last = 3;\n",
      pack, places);
  ASSERT_EQ(places.repeats().size(), 3u);
  EXPECT_STREQ(places.repeats()[0].kind, "constant");
  EXPECT_EQ(shown(span_of_text(places.repeats()[0].name)), "2:7-2:7");
  EXPECT_STREQ(places.repeats()[1].kind, "field");
  EXPECT_STREQ(places.repeats()[2].kind, "type");
  // The first declarations stay; the repeats leave no item.
  EXPECT_EQ(pack.items.size(), 4u);
  EXPECT_EQ(pack.types.find("t")->info->field_names.size(), 1u);
  EXPECT_NE(pack.consts.find("last"), nullptr);
}

// Bodies read without places share their leaves as za2vu's reader does; the
// declarations keep their places, and a node read again from its keyword,
// here in the middle of a line, has every place of its body and stops there.
TEST(Places, SharedBodiesAreReadAgainWithTheirPlaces) {
  const std::string text =
      "const k = 1 + 2;\n"
      "node a (x : t) returns (y : int);\nvar l : t;\nlet l = x; y = 1; tel node b\n"
      "(x : bool) returns (y : bool);\nlet y = x and x; tel\n"
      "node c (x : bool) returns (y : bool); let y = x; tel\n";
  package pack;
  reading_places places(reading_places::bodies::shared);
  read_checked(text, pack, places);
  EXPECT_EQ(shown(span_of(places, pack.consts.find("k")->value)), "1:11-1:15");
  const node_def& a = *pack.opers.find("a")->node;
  EXPECT_EQ(shown(span_of_text(a.inputs[0].var.type->name)), "2:13-2:13");
  EXPECT_EQ(shown(span_of_text(a.locals[0].name)), "3:5-3:5");
  EXPECT_EQ(span_of_text(a.locals[0].type->name).line, 0);
  const node_def& b = *pack.opers.find("b")->node;
  const val_exp* conjunction = b.defs[0].exp;
  EXPECT_EQ(conjunction->op(0), conjunction->op(1));
  EXPECT_EQ(span_of(places, conjunction).line, 0);
  ASSERT_NE(places.start_of(b), nullptr);
  node_start start = *places.start_of(b);
  EXPECT_EQ(start.line, 4);
  EXPECT_EQ(start.column, 23);

  package again;
  reading_places node_places;
  read_node_again(std::string_view(text).substr(text.find("node b")), start, again,
                  node_places);
  ASSERT_EQ(again.opers.size(), 1u);
  const val_exp* placed = again.opers.find("b")->node->defs[0].exp;
  EXPECT_NE(placed->op(0), placed->op(1));
  EXPECT_EQ(shown(span_of(node_places, placed)), "6:9-6:15");
  EXPECT_EQ(shown(span_of(node_places, placed->op(1))), "6:15-6:15");
}

TEST(Places, SyntaxErrorKeepsWhatWasReadBefore) {
  package pack;
  reading_places places;
  try {
    read_checked("const a = 1;\nconst b = ;\n", pack, places);
    ADD_FAILURE() << "a constant without value read";
  } catch (const Syntax_error& failure) {
    EXPECT_EQ(failure.position.line, 2);
  }
  EXPECT_NE(pack.consts.find("a"), nullptr);
}

// What the parser could read where it stopped, default reductions included:
// after "x" it could read ';' and then 'd', or an operator, but no name.
TEST(Places, SyntaxErrorRecordsWhatTheParserCouldReadThere) {
  struct stop {
    const char* text;
    token_kind stopped;
    std::vector<token_kind> expected, not_expected, before_stop, not_before_stop;
  };
  const char* head = "node n (x : int) returns (c, d : int);\nlet\n";
  const stop table[] = {
      {"c = x\nd = c;\ntel\n",
       TK_IDENT,
       {TK_SEMICOL, TK_PLUS, TK_WHEN},
       {TK_IDENT},
       {TK_SEMICOL, TK_PLUS},
       {TK_TEL, TK_CLOSE_PAR}},
      {"c = x; d = c;\nnode m (x : int) returns (y : int); let y = x; tel\n",
       TK_NODE,
       {TK_TEL, TK_IDENT, TK_ASSERT},
       {TK_SEMICOL},
       {TK_TEL},
       {TK_SEMICOL, TK_IDENT}},
      {"c = x; d = c;\n", TK_EOF, {TK_TEL}, {TK_EOF}, {TK_TEL}, {TK_SEMICOL}},
      {"c = x + and;\n", TK_AND, {TK_IDENT, TK_ICONST, TK_PRE}, {TK_SEMICOL}, {}, {}},
      {"c = if x then (((((x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + "
       "x\n"
       " + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x + x\n"
       " + x + x + x + x + x + x + x + x + x + x)))) else x;\n",
       TK_ELSE,
       {TK_CLOSE_PAR},
       {TK_SEMICOL, TK_ELSE},
       {TK_CLOSE_PAR},
       {TK_SEMICOL}},
  };
  for (const stop& expected : table) {
    package pack;
    reading_places places;
    std::string text = std::string(head) + expected.text;
    EXPECT_THROW(read_checked(text, pack, places), Syntax_error) << expected.text;
    const syntax_expectations& found = places.expectations();
    EXPECT_EQ(found.stopped, expected.stopped) << expected.text;
    for (token_kind kind : expected.expected)
      EXPECT_TRUE(found.expected[kind]) << expected.text << token_name(kind);
    for (token_kind kind : expected.not_expected)
      EXPECT_FALSE(found.expected[kind]) << expected.text << token_name(kind);
    for (token_kind kind : expected.before_stop)
      EXPECT_TRUE(found.before_stop[kind]) << expected.text << token_name(kind);
    for (token_kind kind : expected.not_before_stop)
      EXPECT_FALSE(found.before_stop[kind]) << expected.text << token_name(kind);
  }
}

}  // namespace
