#include "xzoParser.hh"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>

#include "arena.h"
#include "errors.h"
#include "output.h"
#include "xzo.h"
#include "xzoDecls.h"

namespace {

// Reads a whole file into a package of its own, so that tests do not see each
// other's declarations. The text must outlive the positions made from it.
package parse_file(std::string_view text) {
  package pack;
  position_store positions(run_arena());
  parse_context context{{text}, entry_point::file, pack, positions};
  if (parse(context) != 0) throw Syntax_error{context.buffer.last_made};
  return pack;
}

std::string name_of(ident name) { return std::string(name->text()); }

// The operator as written; a tuple has none.
std::string symbol_of(exp_kind kind) {
  if (kind == nat_tuple) return "tuple";
  std::string_view spelling = facts_of(kind).spelling;
  return spelling.empty() ? "?" : std::string(spelling);
}

// The expression as an s-expression: leaves by their text, every other node
// as (operator operands...).
std::string sexp(const val_exp* e) {
  std::string text;
  switch (e->kind()) {
    case nat_true: return "true";
    case nat_false: return "false";
    case nat_iconst:
    case nat_rconst:
    case nat_ident: return name_of(e->name());
    case nat_call: text = "(call " + name_of(e->name()); break;
    case nat_field: text = "(. " + name_of(e->name()); break;
    case nat_struct:
      text = "(struct " + name_of(e->cons().type_name);
      for (std::size_t field = 0; field < e->ops().size(); ++field)
        text += " " + name_of(e->cons().field_names[field]) + "=" + sexp(e->op(field));
      return text + ")";
    default: text = "(" + symbol_of(e->kind());
  }
  for (const val_exp* operand : e->ops()) text += " " + sexp(operand);
  return text + ")";
}

std::string exp_text(std::string_view source) { return sexp(exp_of_string(source)); }

std::string left_text(const left* item) {
  switch (item->kind) {
    case left_id: return name_of(item->name);
    case left_field: return left_text(item->inner) + "." + name_of(item->name);
    case left_elem: return left_text(item->inner) + "[" + sexp(item->index) + "]";
    case left_slice: {
      std::string text = left_text(item->inner) + "[" + sexp(item->range->first) + ".." +
                         sexp(item->range->last);
      if (item->range->step != nullptr) text += " step " + sexp(item->range->step);
      return text + "]";
    }
  }
  return "?";
}

std::string lefts_text(const def& equation) {
  std::string text;
  // Appended piece by piece: g++ 12 warns falsely on an inlined prepend.
  for (const left* item : equation.lefts) {
    if (!text.empty()) text += ", ";
    text += left_text(item);
  }
  return text;
}

const node_def& node_named(const package& pack, std::string_view name) {
  const oper* found = pack.opers.find(name);
  EXPECT_NE(found, nullptr);
  EXPECT_EQ(found->kind, node_oper);
  return *found->node;
}

// The message of the compile error that reading the file raises.
std::string duplicate_message(std::string_view text, std::string* at = nullptr) {
  try {
    parse_file(text);
  } catch (const Compile_error& failure) {
    if (at != nullptr) *at = std::string(failure.position.str);
    return failure.message;
  }
  return "no error";
}

// The text of the token at which reading fails with a syntax error.
std::string syntax_error_at(std::string_view text) {
  try {
    parse_file(text);
  } catch (const Syntax_error& failure) {
    return std::string(failure.position.str);
  }
  return "no error";
}

std::string exp_syntax_error_at(std::string_view text) {
  try {
    exp_of_string(text);
  } catch (const Syntax_error& failure) {
    return std::string(failure.position.str);
  }
  return "no error";
}

TEST(Parser, GroupsOperatorsByPrecedence) {
  EXPECT_EQ(exp_text("not a + b"), "(not (+ a b))");
  EXPECT_EQ(exp_text("not a and b"), "(and (not a) b)");
  EXPECT_EQ(exp_text("not a < b"), "(< (not a) b)");
  EXPECT_EQ(exp_text("a * not b + c"), "(* a (not (+ b c)))");
  EXPECT_EQ(exp_text("a and b = c"), "(= (and a b) c)");
  EXPECT_EQ(exp_text("- a when b"), "(when (- a) b)");
  EXPECT_EQ(exp_text("a * b when c"), "(* a (when b c))");
  EXPECT_EQ(exp_text("pre a.f"), "(pre (. f a))");
  EXPECT_EQ(exp_text("a + if b then c else d"), "(+ a (if b c d))");
  EXPECT_EQ(exp_text("a or b and c xor d"), "(xor (or a (and b c)) d)");
  EXPECT_EQ(exp_text("a - b - c div d mod e"), "(- (- a b) (mod (div c d) e))");
  EXPECT_EQ(exp_text("int a + real b / c"), "(+ (int a) (/ (real b) c))");
  EXPECT_EQ(exp_text("current x -> pre y"), "(-> (current x) (pre y))");
}

TEST(Parser, GroupsEachLevelInItsDirection) {
  EXPECT_EQ(exp_text("a -> b -> c"), "(-> (-> a b) c)");
  EXPECT_EQ(exp_text("a = b = c"), "(= a (= b c))");
  EXPECT_EQ(exp_text("a = b => c"), "(= a (=> b c))");
  EXPECT_EQ(exp_text("a => b <> c"), "(=> a (<> b c))");
  EXPECT_EQ(exp_text("a.f.g"), "(. g (. f a))");
  EXPECT_EQ(exp_text("a when b when c"), "(when (when a b) c)");
  EXPECT_EQ(exp_text("if a then b else c -> d"), "(if a b (-> c d))");
  EXPECT_EQ(exp_syntax_error_at("a < b < c"), "<");
  EXPECT_EQ(exp_syntax_error_at("a >= b <= c"), "<=");
}

TEST(Parser, BuildsListsCallsAndStructureValues) {
  EXPECT_EQ(exp_text("(a)"), "a");
  EXPECT_EQ(exp_text("(a, b)"), "(tuple a b)");
  EXPECT_EQ(exp_text("#(a)"), "(# a)");
  EXPECT_EQ(exp_text("f()"), "(call f)");
  EXPECT_EQ(exp_text("f(a, 1.5e3, true)"), "(call f a 1.5e3 true)");
  EXPECT_EQ(exp_text("T { b = 1; a = 2 }"), "(struct T b=1 a=2)");
  EXPECT_EQ(exp_text("T { }"), "(struct T)");
  EXPECT_EQ(exp_text("-1"), "(- 1)");
  EXPECT_EQ(exp_syntax_error_at("T { a = 1; }"), "}");
}

// One node per leaf text in a reading, whatever the kind; a declared name
// keeps its own position.
TEST(Parser, SharesTheLeavesOfOneReading) {
  const val_exp* e = exp_of_string("(x + 1) * (x + 1.0) - (1 + x1)");
  const val_exp* left = e->op(0)->op(0);
  const val_exp* right = e->op(0)->op(1);
  EXPECT_EQ(left->op(0), right->op(0));
  EXPECT_EQ(left->op(1), e->op(1)->op(0));
  EXPECT_NE(left->op(1), right->op(1));
  EXPECT_EQ(right->op(1)->kind(), nat_rconst);
  EXPECT_EQ(e->op(1)->op(1)->name()->text(), "x1");
  EXPECT_EQ(exp_text("(x + 1) * (x + 1.0) - (1 + x1)"),
            "(- (* (+ x 1) (+ x 1.0)) (+ 1 x1))");
}

// The operands of a sum grouped to the left, in written order.
std::vector<const val_exp*> terms_of(const val_exp* sum) {
  std::vector<const val_exp*> terms;
  for (; sum->kind() == nat_plus; sum = sum->op(0))
    terms.insert(terms.begin(), sum->op(1));
  terms.insert(terms.begin(), sum);
  return terms;
}

// Texts of up to eight bytes and longer ones are shared apart: each leaf and
// each left-hand variable is found again by its whole text only.
TEST(Parser, SharesLeavesByTheirWholeText) {
  const std::string texts[] = {"ab",       "ba", "abcdefgh",   "abcdefghi",
                               "abcdefgi", "a",  "a0",         "10",
                               "1",        "01", "abcdefghij", "abcdefghik"};
  std::string sum;
  for (const std::string& text : texts) sum += (sum.empty() ? "" : " + ") + text;
  const val_exp* e = exp_of_string("(" + sum + ") = (" + sum + ")");
  std::vector<const val_exp*> first = terms_of(e->op(0)), second = terms_of(e->op(1));
  ASSERT_EQ(first.size(), std::size(texts));
  ASSERT_EQ(second.size(), std::size(texts));
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    EXPECT_EQ(first[i]->name()->text(), texts[i]);
    EXPECT_EQ(first[i], second[i]) << texts[i];
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(first[i], first[j]) << texts[i];
  }
  package pack = parse_file(
      "node n (abcdefgh, abcdefghi : int) returns (abcdefgh0 : int; ab, ba : int);\n"
      "let ab = abcdefgh; ba = abcdefghi; abcdefgh0 = ab + ba; tel");
  const node_def& node = *pack.opers.find("n")->node;
  ASSERT_EQ(node.defs.size(), 3u);
  EXPECT_EQ(node.defs[0].lefts[0]->name->text(), "ab");
  EXPECT_EQ(node.defs[1].lefts[0]->name->text(), "ba");
  EXPECT_EQ(node.defs[2].lefts[0]->name->text(), "abcdefgh0");
  EXPECT_EQ(node.defs[0].exp->name()->text(), "abcdefgh");
  EXPECT_EQ(node.defs[1].exp->name()->text(), "abcdefghi");
  EXPECT_EQ(node.defs[2].exp->op(0)->name()->text(), "ab");
}

TEST(Parser, RejectsAnExpressionNotFollowedByTheEnd) {
  EXPECT_EQ(exp_syntax_error_at("a b"), "b");
  EXPECT_EQ(exp_syntax_error_at("a +"), "+");
  EXPECT_EQ(exp_syntax_error_at("a + (* unclosed? no: closed *)"), "(*");
}

TEST(Parser, RejectsTokensThatNoProductionUses) {
  for (const char* text :
       {"a ^ b", "a | b", "nor a", "a .% b", "a % b", "equa", "of", "a $ b"})
    EXPECT_THROW(exp_of_string(text), Syntax_error) << text;
}

TEST(Parser, ReadsAnEmptyFileAsAnEmptyPackage) {
  package pack = parse_file("  -- nothing\n(* at all *)\n");
  EXPECT_EQ(pack.items.size(), 0u);
  EXPECT_EQ(pack.consts.size() + pack.types.size() + pack.opers.size(), 0u);
}

TEST(Parser, ReadsASmallNode) {
  package pack = parse_file("node n (x : int) returns (y : int); let y = x; tel");
  const node_def& n = node_named(pack, "n");
  ASSERT_EQ(n.inputs.size(), 1u);
  EXPECT_EQ(n.inputs[0].kind, var_input);
  EXPECT_EQ(n.inputs[0].var.type->kind, int_type);
  EXPECT_EQ(n.outputs.size(), 1u);
  EXPECT_TRUE(n.locals.empty() && n.asserts.empty() && n.pragmas.empty());
  ASSERT_EQ(n.defs.size(), 1u);
  EXPECT_EQ(lefts_text(n.defs[0]) + " = " + sexp(n.defs[0].exp), "y = x");
}

TEST(Parser, KeepsEachKindOfBodyItemInSourceOrder) {
  package pack = parse_file(
      "node n (x : int) returns (y, z : int);\n"
      "var a : bool; b : real;\n"
      "let --%first\n a = true; assert x > 0; y = 1; --%second\n assert a; z = 2; tel.");
  const node_def& n = node_named(pack, "n");
  ASSERT_EQ(n.locals.size(), 2u);
  EXPECT_EQ(name_of(n.locals[1].name), "b");
  ASSERT_EQ(n.defs.size(), 3u);
  EXPECT_EQ(lefts_text(n.defs[0]) + lefts_text(n.defs[1]) + lefts_text(n.defs[2]), "ayz");
  ASSERT_EQ(n.asserts.size(), 2u);
  EXPECT_EQ(sexp(n.asserts[0]) + sexp(n.asserts[1]), "(> x 0)a");
  ASSERT_EQ(n.pragmas.size(), 2u);
  EXPECT_EQ(name_of(n.pragmas[0]) + name_of(n.pragmas[1]), "firstsecond");
}

TEST(Parser, ReadsClocksAndConstantInputs) {
  package pack = parse_file(
      "node n (const k : int; x : bool; (c : bool) when x)\n"
      "returns (y, z : int when c; (w : int) when c); var v : int when c; let y = k; "
      "tel");
  const node_def& n = node_named(pack, "n");
  ASSERT_EQ(n.inputs.size(), 3u);
  EXPECT_EQ(n.inputs[0].kind, const_input);
  EXPECT_EQ(n.inputs[0].var.clock, nullptr);
  EXPECT_EQ(n.inputs[1].kind, var_input);
  EXPECT_EQ(name_of(n.inputs[2].var.clock), "x");
  ASSERT_EQ(n.outputs.size(), 3u);
  for (const flow& output : n.outputs) EXPECT_EQ(name_of(output.clock), "c");
  EXPECT_EQ(name_of(n.locals[0].clock), "c");
  EXPECT_EQ(syntax_error_at("node n (const k : int when c) returns (y : int); let tel"),
            "when");
  EXPECT_EQ(syntax_error_at("function f (const k : int) returns (y : int);"), "const");
}

TEST(Parser, ReadsEquationLefts) {
  package pack = parse_file(
      "node n (x : int) returns (y : int);\n"
      "let (a, b) = x; a, b = x; t[1 .. 3 step 2] = x; t.f[0].g = x; t[1 .. n] = x; tel");
  const node_def& n = node_named(pack, "n");
  ASSERT_EQ(n.defs.size(), 5u);
  EXPECT_EQ(lefts_text(n.defs[0]), "a, b");
  EXPECT_EQ(lefts_text(n.defs[1]), "a, b");
  EXPECT_EQ(lefts_text(n.defs[2]), "t[1..3 step 2]");
  EXPECT_EQ(lefts_text(n.defs[3]), "t.f[0].g");
  EXPECT_EQ(lefts_text(n.defs[4]), "t[1..n]");
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int); let a, (b) = x; tel"),
            "(");
}

TEST(Parser, RejectsMalformedNodes) {
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int) let y = x; tel"), "let");
  EXPECT_EQ(syntax_error_at("node n () returns (y : int); let y = 1; tel"), ")");
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int); let tel"), "tel");
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int); let y = x tel"), "tel");
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int); let y = x; tel;;"), ";");
  EXPECT_EQ(syntax_error_at("node n (x : int) returns (y : int);\n--%p\nlet y = x; tel"),
            "p");
  EXPECT_EQ(syntax_error_at("--%p\n"), "p");
  EXPECT_EQ(syntax_error_at("unsafe node n (x : int) returns (y : int); let y = x; tel"),
            "node");
  package pack = parse_file("node n (x : int) returns (y : int); let --% x\n tel;");
  EXPECT_EQ(node_named(pack, "n").pragmas.size(), 1u);
}

TEST(Parser, ReadsFunctionsWithGroupedParameters) {
  package pack = parse_file(
      "function f (a, b : int; c : T) returns (r : bool).\n"
      "unsafe function g (a : real) returns (r : int; s : int)");
  const func_def& f = *pack.opers.find("f")->func;
  EXPECT_FALSE(f.is_unsafe);
  ASSERT_EQ(f.inputs.size(), 3u);
  EXPECT_EQ(f.inputs[1].type->kind, int_type);
  EXPECT_EQ(name_of(f.inputs[2].type->name), "T");
  const func_def& g = *pack.opers.find("g")->func;
  EXPECT_TRUE(g.is_unsafe);
  EXPECT_EQ(g.outputs.size(), 2u);
  EXPECT_EQ(syntax_error_at("function f () returns (x : int);"), ")");
}

TEST(Parser, ReadsConstantLists) {
  package pack = parse_file("const a : int; b = 1; c : real = 2.0; const d : T.");
  ASSERT_EQ(pack.consts.size(), 4u);
  EXPECT_EQ(pack.consts.find("a")->kind, extern_const);
  EXPECT_EQ(pack.consts.find("b")->kind, defined_const);
  EXPECT_EQ(pack.consts.find("b")->type, nullptr);
  EXPECT_EQ(pack.consts.find("c")->type->kind, real_type);
  EXPECT_EQ(syntax_error_at("const a, b : int;"), ",");
  // A "." after a value starts a field access.
  EXPECT_EQ(syntax_error_at("const a = 1 . type t;"), "type");
  // After ";" an identifier continues the list instead of starting a type.
  EXPECT_EQ(syntax_error_at("const a = 1; t, u"), ",");
}

TEST(Parser, ReadsTypeDeclarations) {
  package pack = parse_file(
      "type a, b; type e = enum { A, B, A }; type s = struct { x : int; y : bool = true "
      "};\n"
      "type r = { x : real }. type type q; ; T = int U = T");
  std::string names;
  for (const def_item& item : pack.items) names += name_of(item.name) + " ";
  EXPECT_EQ(names, "a b e s r q T U ");
  EXPECT_EQ(pack.types.find("e")->constants.size(), 3u);
  const struct_info& s = *pack.types.find("s")->info;
  ASSERT_EQ(s.field_names.size(), 2u);
  EXPECT_EQ(sexp(s.fields.find("y")->default_value), "true");
  EXPECT_EQ(pack.types.find("r")->kind, struct_type);
  EXPECT_EQ(pack.types.find("U")->definition->kind, named_type);
  EXPECT_EQ(syntax_error_at("type a = int; b = bool;"), ";");
  EXPECT_EQ(syntax_error_at("type s = struct { x : int; };"), "}");
  EXPECT_EQ(syntax_error_at("type e = enum { };"), "}");
}

TEST(Parser, RecordsDeclarationsInSourceOrder) {
  package pack = parse_file(
      "type t; const k = 1; node n (x : int) returns (y : int); let y = x; tel "
      "function f (x : int) returns (y : int);");
  ASSERT_EQ(pack.items.size(), 4u);
  EXPECT_EQ(pack.items[0].kind, type_item);
  EXPECT_EQ(pack.items[1].kind, const_item);
  EXPECT_EQ(pack.items[2].kind, oper_item);
  EXPECT_EQ(name_of(pack.items[3].name), "f");
}

TEST(Parser, ReportsEachKindOfRepeatedDeclarationAtTheRepetition) {
  const std::string suffix = " declaration, ident already declared";
  std::string at;
  EXPECT_EQ(duplicate_message("const a = 1; const a = 2;", &at), "bad constant" + suffix);
  EXPECT_EQ(at, "a");
  EXPECT_EQ(duplicate_message("type t; type u = int; type t = bool;"),
            "bad type" + suffix);
  EXPECT_EQ(duplicate_message("function f (x : int) returns (y : int);\n"
                              "node f (x : int) returns (y : int); let y = x; tel"),
            "bad operator" + suffix);
  EXPECT_EQ(duplicate_message("type t = struct { x : int; x : bool };", &at),
            "bad field" + suffix);
  EXPECT_EQ(at, "x");
}

TEST(Parser, LeavesNoTypeBehindAStructureWithARepeatedField) {
  package pack;
  position_store positions(run_arena());
  parse_context context{
      {"type t = { x : int; x : bool };"}, entry_point::file, pack, positions};
  EXPECT_THROW(parse(context), Compile_error);
  EXPECT_EQ(pack.types.size(), 0u);
  EXPECT_TRUE(pack.items.empty());
}

TEST(Parser, KeepsWhatWasDeclaredBeforeARepetition) {
  package pack;
  position_store positions(run_arena());
  parse_context context{{"type a, b, a;"}, entry_point::file, pack, positions};
  EXPECT_THROW(parse(context), Compile_error);
  EXPECT_EQ(pack.types.size(), 2u);
  EXPECT_EQ(pack.items.size(), 2u);
}

TEST(Parser, KeepsNameSpacesAndCaseApart) {
  package pack = parse_file(
      "type t; const t = 1; const K = 2; const k = 3;\n"
      "type p = { x : int }; type q = { x : int };\n"
      "node t (x : int) returns (y : int); let y = x; tel");
  EXPECT_EQ(pack.items.size(), 7u);
}

// Deep inputs: the parser's stack grows on the heap and no action recurses.
constexpr int depth = 100000;

TEST(Parser, ReadsVeryLongAndVeryDeepExpressions) {
  std::string chain = "a";
  for (int count = 0; count < depth; ++count) chain += " + a";
  const val_exp* left_chain = exp_of_string(chain);
  for (int count = 0; count < depth; ++count) {
    ASSERT_EQ(left_chain->kind(), nat_plus);
    ASSERT_EQ(left_chain->op(1)->kind(), nat_ident);
    left_chain = left_chain->op(0);
  }
  EXPECT_EQ(left_chain->kind(), nat_ident);

  std::string equalities = "a";
  for (int count = 0; count < depth; ++count) equalities += " = a";
  const val_exp* right_chain = exp_of_string(equalities);
  for (int count = 0; count < depth; ++count) {
    ASSERT_EQ(right_chain->kind(), nat_eq);
    ASSERT_EQ(right_chain->op(0)->kind(), nat_ident);
    right_chain = right_chain->op(1);
  }
  EXPECT_EQ(right_chain->kind(), nat_ident);

  std::string nested = std::string(depth, '(') + "b" + std::string(depth, ')');
  EXPECT_EQ(sexp(exp_of_string(nested)), "b");

  std::string nested_sums;
  for (int count = 0; count < depth; ++count) nested_sums += "(a - ";
  nested_sums += "b" + std::string(depth, ')');
  const val_exp* right_deep = exp_of_string(nested_sums);
  for (int count = 0; count < depth; ++count) {
    ASSERT_EQ(right_deep->kind(), nat_minus);
    right_deep = right_deep->op(1);
  }
  EXPECT_EQ(name_of(right_deep->name()), "b");
}

}  // namespace

// The token source gives the start token, then every token of the lexer with
// its lexeme (keywords and symbols included), then the parser's own end.
TEST(Parser, GivesEveryTokenItsLexeme) {
  package pack;
  position_store positions(run_arena());
  parse_context context{{"not x\n  <= 1.5"}, entry_point::expression, pack, positions};
  parse_value value;
  EXPECT_EQ(yylex(&value, context), YY_START_EXP);
  const std::tuple<int, std::string_view, int, int, int> expected[] = {
      {YY_TK_NOT, "not", 1, 1, 3},
      {YY_TK_IDENT, "x", 1, 5, 5},
      {YY_TK_LTE, "<=", 2, 3, 4},
      {YY_TK_RCONST, "1.5", 2, 6, 8}};
  for (const auto& [code, text, line, cstart, cend] : expected) {
    EXPECT_EQ(yylex(&value, context), code);
    EXPECT_EQ(value.token->str, text);
    EXPECT_EQ(value.token->line, line);
    EXPECT_EQ(value.token->cstart, cstart);
    EXPECT_EQ(value.token->cend, cend);
  }
  EXPECT_EQ(yylex(&value, context), YY_TK_EOF);
  EXPECT_EQ(yylex(&value, context), YY_YYEOF);
}

// Past the parser's first stack arrays, and failing there: the stacks are given
// back when an action throws (the sanitizer build checks for leaks).
TEST(Parser, ReleasesItsGrownStacksWhenAnActionFails) {
  std::string deep = "const a = " + std::string(5000, '(') + "1" +
                     std::string(5000, ')') + "; const a = 2;";
  package pack;
  position_store positions(run_arena());
  parse_context context{{deep}, entry_point::file, pack, positions};
  EXPECT_THROW(parse(context), Compile_error);
  EXPECT_EQ(pack.consts.size(), 1u);
  std::string unfinished = "const b = " + std::string(5000, '(') + "1";
  package other;
  parse_context unfinished_context{{unfinished}, entry_point::file, other, positions};
  EXPECT_EQ(parse(unfinished_context), 1);
}

namespace {

// Writes the text into a pipe from another thread, and gives the reading end.
struct piped_text {
  explicit piped_text(std::string text) : text_(std::move(text)) {
    if (pipe(ends_) != 0) throw std::runtime_error("pipe");
    writer_ = std::thread([this] {
      for (std::size_t at = 0; at < text_.size();) {
        ssize_t written = write(ends_[1], text_.data() + at, text_.size() - at);
        if (written <= 0) break;
        at += static_cast<std::size_t>(written);
      }
      close(ends_[1]);
    });
  }
  ~piped_text() {
    writer_.join();
    close(ends_[0]);
  }
  int fd() const { return ends_[0]; }

 private:
  std::string text_;
  int ends_[2];
  std::thread writer_;
};

// A pipe has no size to start from: the text grows past its first buffer.
TEST(ReadingEntryPoints, ReadAWholeChannelOfAnyLengthAndReportAFailedRead) {
  std::string sum = "a";
  for (int count = 0; count < 40000; ++count) sum += " + a";
  piped_text piped(sum);
  zo_run run;
  EXPECT_EQ(read_channel({"pipe", piped.fd()}, run), sum);

  int directory = open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(directory, 0);
  try {
    read_channel({"here", directory}, run);
    ADD_FAILURE() << "a directory read as a text";
  } catch (const System_error& failure) {
    EXPECT_EQ(failure.message, "here: Is a directory");
  }
  close(directory);
}

// Lexemes longer than the listing's line room, one longer than the output
// buffer itself, are listed whole.
TEST(ReadingEntryPoints, ListTheTokensOfATextWithLexemesOfAnyLength) {
  std::string longer_than_a_line(300, 'x');
  std::string longer_than_the_buffer(70000, 'y');
  testing::internal::CaptureStdout();
  std::string text = "a " + longer_than_a_line + " " + longer_than_the_buffer;
  lexeme last_made = dummy;
  lexemize_string(text, {1, 1}, last_made);
  EXPECT_EQ(last_made.str, longer_than_the_buffer);
  output::flush();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "line   1 col  1 to  1 :        TK_IDENT = \"a\"\n"
            "line   1 col  3 to 302 :        TK_IDENT = \"" +
                longer_than_a_line +
                "\"\n"
                "line   1 col 304 to 70303 :        TK_IDENT = \"" +
                longer_than_the_buffer + "\"\n");
}

}  // namespace

// A name's text is stored once and without position unless it is declared:
// the diagnostic of a repeated declaration is the only reader of positions.
TEST(Parser, SharesNamesTypesAndOneVariableLeftsButPlacesDeclarations) {
  package pack = parse_file(
      "type t;\nconst k : t;\nfunction f (x : t) returns (y : t);\n"
      "node m (a : t) returns (b, c : t; d : int);\n"
      "let b = f(a); (c, d) = (f(b), 1); tel\n"
      "node n (a : t) returns (b : t);\nvar c : t;\nlet c = f(a); b = c; tel");
  const node_def& m = *pack.opers.find("m")->node;
  const node_def& n = *pack.opers.find("n")->node;
  const func_def& f = *pack.opers.find("f")->func;
  EXPECT_EQ(m.inputs[0].var.type, n.locals[0].type);
  EXPECT_EQ(f.inputs[0].type, m.outputs[1].type);
  EXPECT_NE(m.outputs[2].type, m.outputs[0].type);
  EXPECT_EQ(m.defs[0].exp->name(), n.defs[0].exp->name());
  EXPECT_FALSE(m.defs[0].exp->name()->has_position());
  EXPECT_FALSE(m.inputs[0].var.name->has_position());
  EXPECT_EQ(m.inputs[0].var.name, n.inputs[0].var.name);
  for (ident declared : {pack.items[0].name, pack.items[1].name, n.name})
    EXPECT_TRUE(declared->has_position()) << declared->text();
  lexeme placed = position_of(n.name);
  EXPECT_EQ(placed.line, 6);
  EXPECT_EQ(placed.cstart, 6);
  // The equations of `b` in both nodes share one list of lefts.
  EXPECT_EQ(m.defs[0].lefts.begin(), n.defs[1].lefts.begin());
  EXPECT_EQ(n.defs[0].lefts.size(), 1u);
  ASSERT_EQ(m.defs[1].lefts.size(), 2u);
  EXPECT_EQ(lefts_text(m.defs[1]), "c, d");
  EXPECT_EQ(m.defs[1].lefts.end() - m.defs[1].lefts.begin(), 2);
}
