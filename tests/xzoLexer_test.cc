#include "xzoLexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The tokens of the text as "NAME text" strings, up to the end of input.
std::vector<std::string> tokens_of(std::string_view text) {
  lexer_buffer buffer{text};
  std::vector<std::string> listed;
  for (token next = lexer(buffer); next.kind != TK_EOF; next = lexer(buffer))
    listed.push_back(std::string(token_name(next.kind)) + " " + std::string(next.lx.str));
  return listed;
}

using listing = std::vector<std::string>;

// Gives a text one line per segment from two buffers in turn, scribbling over
// each segment's bytes once two more have been given, as a reused buffer would.
class line_segments : public segment_source {
 public:
  explicit line_segments(std::string_view text) : rest_(text) {}
  std::string_view next_segment() override {
    std::string& buffer = buffers_[turn_];
    turn_ = 1 - turn_;
    buffer.assign(buffer.size(), '#');
    std::size_t line_break = rest_.find('\n');
    std::size_t length =
        line_break == std::string_view::npos ? rest_.size() : line_break + 1;
    buffer.assign(rest_.substr(0, length));
    rest_.remove_prefix(length);
    return buffer;
  }

 private:
  std::string_view rest_;
  std::string buffers_[2];
  int turn_ = 0;
};

// Each token as "NAME text line:first-last", lines counted from the first
// token's; the text is read whole or line by line.
listing positions_of(std::string_view text, bool by_lines) {
  line_segments lines(text);
  lexer_buffer buffer = by_lines ? lexer_buffer{{}, 0, 0, &lines} : lexer_buffer{text};
  listing listed;
  int first_line = -1;
  for (token next = lexer(buffer); next.kind != TK_EOF; next = lexer(buffer)) {
    if (first_line < 0) first_line = next.lx.line;
    listed.push_back(std::string(token_name(next.kind)) + " " + std::string(next.lx.str) +
                     " " + std::to_string(next.lx.line - first_line) + ":" +
                     std::to_string(next.lx.cstart) + "-" + std::to_string(next.lx.cend));
  }
  return listed;
}

}  // namespace

TEST(Lexer, LongestMatchSplitsRealBeforeRange) {
  EXPECT_EQ(tokens_of("1..2"), (listing{"TK_RCONST 1.", "TK_RCONST .2"}));
  EXPECT_EQ(tokens_of("1 .. 2"), (listing{"TK_ICONST 1", "TK_CDOTS ..", "TK_ICONST 2"}));
}

TEST(Lexer, IncompleteExponentBacksUpToTheInteger) {
  EXPECT_EQ(tokens_of("1e+"), (listing{"TK_ICONST 1", "TK_IDENT e", "TK_PLUS +"}));
  EXPECT_EQ(tokens_of("2E-7 3.e4 .5e+1"),
            (listing{"TK_RCONST 2E-7", "TK_RCONST 3.e4", "TK_RCONST .5e+1"}));
}

TEST(Lexer, QualifiedNameNeedsALetterAfterTheColons) {
  EXPECT_EQ(tokens_of("abc::"), (listing{"TK_IDENT abc", "TK_COLON :", "TK_COLON :"}));
  EXPECT_EQ(tokens_of("p::node"), (listing{"TK_IDENT p::node"}));
  EXPECT_EQ(tokens_of("a:int"), (listing{"TK_IDENT a", "TK_COLON :", "TK_INT int"}));
}

TEST(Lexer, DoubleDashOpensACommentEvenInsideAnArrow) {
  EXPECT_EQ(tokens_of("x-->y\nz"), (listing{"TK_IDENT x", "TK_IDENT z"}));
  EXPECT_EQ(tokens_of("-- no final line break"), listing{});
}

TEST(Lexer, CommentsDoNotNest) {
  EXPECT_EQ(tokens_of("(* (* *) *)"), (listing{"TK_STAR *", "TK_CLOSE_PAR )"}));
  EXPECT_EQ(tokens_of("/* --% x */ y"), (listing{"TK_IDENT y"}));
}

TEST(Lexer, AnnotationKeepsEverythingAfterItsMarker) {
  EXPECT_EQ(tokens_of("x --% note\r\n"), (listing{"TK_IDENT x", "TK_PRAGMA  note\r"}));
  EXPECT_EQ(tokens_of("--%"), (listing{"TK_PRAGMA "}));
}

TEST(Lexer, KeywordsAreCaseSensitive) {
  EXPECT_EQ(tokens_of("returns Returns node Node"),
            (listing{"TK_RETURNS returns", "TK_IDENT Returns", "TK_NODE node",
                     "TK_IDENT Node"}));
}

// Every entry of the token table, as the lexer reads its text alone: a
// keyword or a punctuation token is its own kind, under its listing name.
// "%" is declared for the grammar but no text makes it.
struct table_entry {
  token_kind kind;
  std::string_view name;
  std::string_view text;
  bool keyword;
};
constexpr table_entry token_table[] = {
#define TOKEN(name, description)
#define PUNCT(name, text) {TK_##name, "TK_" #name, text, false},
#define KEYWORD(name, text) {TK_##name, "TK_" #name, text, true},
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD
};

TEST(Lexer, EveryFixedTextOfTheTokenTableLexesAsItsKind) {
  int keywords = 0;
  for (const table_entry& entry : token_table) {
    std::string text(entry.text);
    lexer_buffer buffer{text};
    token read = lexer(buffer);
    if (entry.kind == TK_PCENT) {
      EXPECT_EQ(read.kind, TK_ERROR);
      continue;
    }
    EXPECT_EQ(read.kind, entry.kind) << text;
    EXPECT_EQ(token_name(read.kind), entry.name);
    EXPECT_EQ(read.lx.str, text);
    EXPECT_EQ(lexer(buffer).kind, TK_EOF) << text;
    EXPECT_EQ(is_keyword(text), entry.keyword) << text;
    keywords += entry.keyword;
  }
  EXPECT_EQ(keywords, 33);
}

TEST(Lexer, EveryByteThatStartsNoTokenIsOneError) {
  std::string bytes("%!$\f\x80\xff", 6);
  bytes.push_back('\0');
  std::vector<std::string> listed = tokens_of(bytes);
  ASSERT_EQ(listed.size(), 7u);
  for (std::size_t index = 0; index < listed.size(); ++index)
    EXPECT_EQ(listed[index], "TK_ERROR " + bytes.substr(index, 1));
}

TEST(Lexer, SymbolsTakeTheirLongestForm) {
  EXPECT_EQ(tokens_of("...->><=>x.%y a.5"),
            (listing{"TK_CDOTS ..", "TK_DOT .", "TK_ARROW ->", "TK_GT >",
                     "TK_LTE <=", "TK_GT >", "TK_IDENT x", "TK_FIELD .%", "TK_IDENT y",
                     "TK_IDENT a", "TK_RCONST .5"}));
}

TEST(Lexer, UnterminatedCommentIsPlacedAtItsOpener) {
  lexer_buffer buffer{"\nab (* open\n\n"};
  EXPECT_EQ(lexer(buffer).kind, TK_IDENT);
  try {
    lexer(buffer);
    FAIL() << "an unterminated comment must fail";
  } catch (const Lexical_error& failure) {
    EXPECT_EQ(failure.column(), 4);
    EXPECT_EQ(failure.line(), buffer.last_made.line);
    EXPECT_EQ(buffer.last_made.str, "(*");
  }
}

TEST(Lexer, ColumnsCountFromTheLineStart) {
  lexer_buffer buffer{"\n  abc --%x"};
  token word = lexer(buffer);
  EXPECT_EQ(word.lx.cstart, 3);
  EXPECT_EQ(word.lx.cend, 5);
  token note = lexer(buffer);
  EXPECT_EQ(note.lx.str, "x");
  EXPECT_EQ(note.lx.cstart, 10);
  EXPECT_EQ(note.lx.cend, 10);
  EXPECT_EQ(note.lx.line, word.lx.line);
  EXPECT_EQ(token_code(lexer(buffer)).first, "TK_EOF");
}

TEST(Lexer, TextReadBySegmentsListsAsTheWholeText) {
  // The leading line break places the first line's columns within this text.
  std::string_view text =
      "\nnode n (x : int)\n  --%PROPERTY x;\n y = (* spans\nthree\nlines *) x -- note\n"
      "/* a */ z\n\n   1.5e3";
  listing whole = positions_of(text, false);
  EXPECT_EQ(positions_of(text, true), whole);
  EXPECT_EQ(whole.back(), "TK_RCONST 1.5e3 7:4-8");
}

TEST(Lexer, LastPositionOutlivesItsSegment) {
  line_segments lines("a\n\n\n\n   \n");
  lexer_buffer buffer{{}, 0, 0, &lines};
  EXPECT_EQ(lexer(buffer).kind, TK_IDENT);
  EXPECT_EQ(lexer(buffer).kind, TK_EOF);
  EXPECT_EQ(buffer.last_made.str, "a");
}

TEST(Lexer, UnterminatedCommentAcrossSegmentsIsPlacedAtItsOpener) {
  line_segments lines("\nx\n  (* open\n\nstill open");
  lexer_buffer buffer{{}, 0, 0, &lines};
  int line = lexer(buffer).lx.line;
  try {
    lexer(buffer);
    FAIL() << "an unterminated comment must fail";
  } catch (const Lexical_error& failure) {
    EXPECT_EQ(failure.line(), line + 1);
    EXPECT_EQ(failure.column(), 3);
  }
}

// Every keyword, and the words one byte away from it, which are identifiers
// unless they spell another keyword; words longer than eight bytes never are.
TEST(Lexer, KeywordsMatchExactlyTheirWholeText) {
  const std::pair<std::string, token_kind> keywords[] = {{"and", TK_AND},
                                                         {"assert", TK_ASSERT},
                                                         {"bool", TK_BOOL},
                                                         {"const", TK_CONST},
                                                         {"current", TK_CURRENT},
                                                         {"div", TK_DIV},
                                                         {"else", TK_ELSE},
                                                         {"enum", TK_ENUM},
                                                         {"equa", TK_EQUA},
                                                         {"false", TK_FALSE},
                                                         {"if", TK_IF},
                                                         {"int", TK_INT},
                                                         {"let", TK_LET},
                                                         {"mod", TK_MOD},
                                                         {"node", TK_NODE},
                                                         {"function", TK_FUNCTION},
                                                         {"unsafe", TK_UNSAFE},
                                                         {"not", TK_NOT},
                                                         {"or", TK_OR},
                                                         {"nor", TK_NOR},
                                                         {"pre", TK_PRE},
                                                         {"real", TK_REAL},
                                                         {"returns", TK_RETURNS},
                                                         {"tel", TK_TEL},
                                                         {"type", TK_TYPE},
                                                         {"struct", TK_STRUCT},
                                                         {"step", TK_STEP},
                                                         {"then", TK_THEN},
                                                         {"true", TK_TRUE},
                                                         {"var", TK_VAR},
                                                         {"when", TK_WHEN},
                                                         {"xor", TK_XOR},
                                                         {"of", TK_OF}};
  auto kind_of = [&](const std::string& word) {
    for (const auto& [text, kind] : keywords)
      if (text == word) return std::string(token_name(kind));
    return std::string("TK_IDENT");
  };
  for (const auto& [text, kind] : keywords) {
    EXPECT_EQ(tokens_of(text), listing{std::string(token_name(kind)) + " " + text});
    EXPECT_TRUE(is_keyword(text)) << text;
    std::string upper = text;
    upper[0] = static_cast<char>(upper[0] - 'a' + 'A');
    std::string shorter = text.substr(0, text.size() - 1);
    for (const std::string& near :
         {text + "_", text + "0", text + "s", shorter, text.substr(1), upper}) {
      EXPECT_EQ(tokens_of(near), listing{kind_of(near) + " " + near}) << near;
      EXPECT_EQ(is_keyword(near), kind_of(near) != "TK_IDENT") << near;
    }
    EXPECT_EQ(tokens_of(text + "::x"), listing{"TK_IDENT " + text + "::x"});
  }
  EXPECT_EQ(tokens_of("functionx returnsxy a1b2c3d4e5"),
            (listing{"TK_IDENT functionx", "TK_IDENT returnsxy", "TK_IDENT a1b2c3d4e5"}));
  EXPECT_FALSE(is_keyword(std::string_view("and\0", 4)));
  EXPECT_FALSE(is_keyword("an d"));
  EXPECT_FALSE(is_keyword(""));
}

TEST(Lexer, EachSingleByteSymbolIsItsOwnToken) {
  EXPECT_EQ(tokens_of("^+*|#,;:){}[]a:b"),
            (listing{"TK_HAT ^", "TK_PLUS +", "TK_STAR *", "TK_BAR |", "TK_DIESE #",
                     "TK_COMA ,", "TK_SEMICOL ;", "TK_COLON :", "TK_CLOSE_PAR )",
                     "TK_OPEN_BRACE {", "TK_CLOSE_BRACE }", "TK_OPEN_BRACKET [",
                     "TK_CLOSE_BRACKET ]", "TK_IDENT a", "TK_COLON :", "TK_IDENT b"}));
}
