// The lexer of the zo format: cuts bytes into tokens with their positions and
// skips blanks and comments. Its buffer keeps the line counter and the last
// position made, which the diagnostics of a reading that stops show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "errors.h"
#include "lexeme.h"

// Token kinds in the order of their listing names; TK_EOF carries no lexeme.
enum token_kind : std::uint8_t {
#define TOKEN(name, description) TK_##name,
#define PUNCT(name, text) TK_##name,
#define KEYWORD(name, text) TK_##name,
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD
};

/// The number of token kinds.
inline constexpr int token_kind_count = 0
#define TOKEN(name, description) +1
#define PUNCT(name, text) +1
#define KEYWORD(name, text) +1
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD
    ;

/// A token: its kind and, except for TK_EOF, the position of its text.
struct token {
  token_kind kind;
  lexeme lx;
};

/// An unterminated "(*" or "/*" comment, placed at its opener.
class Lexical_error : public Fatal_error {
 public:
  Lexical_error(const std::string& message, int line, int column);
  int line() const { return line_; }
  int column() const { return column_; }

 private:
  int line_;
  int column_;
};

/// The rest of a text too long to hold whole, given one segment at a time.
class segment_source {
 public:
  /// The next segment, empty at the end of the text. Every segment but the
  /// last ends with a line break, so that only comments span segments. A
  /// segment stays valid until two more have been given.
  virtual std::string_view next_segment() = 0;

 protected:
  ~segment_source() = default;
};

/// The input of the lexer: the text being matched, which must outlive every
/// position made from it, and the offset of the first byte not yet matched;
/// optionally, the source of the segments that follow it. The buffer also
/// holds where the lexer stands: the current line, the offset at which that
/// line starts in the whole text, and the most recent position made.
struct lexer_buffer {
  std::string_view input = {};
  std::size_t next = 0;
  std::uint64_t base = 0;             // the offset of `input` in the whole text
  segment_source* further = nullptr;  // null when `input` is the whole text
  int line = 1;
  std::uint64_t line_start = 0;
  lexeme last_made = dummy;  // `dummy` before the first token
  bool trace_lines = false;  // shows each line reached on standard error
};

/// Tokens lexed ahead of the parser, a batch at a time: one call of the
/// lexer then serves many tokens. A batch made ahead never reaches past a
/// comment or the end of a segment, so that every lexical error, segment
/// change and position made there comes when the parser reaches it.
struct token_batch {
  static constexpr int capacity = 64;
  token_batch() {}  // the tokens are written before they are read

  int count = 0;       // the tokens in the batch
  int next = 0;        // the first not yet given to the parser
  bool ahead = false;  // made ahead: the buffer's `last_made` is its last token
  lexer_buffer* source = nullptr;  // the buffer the batch was made from
  token_kind kinds[capacity];
  lexeme positions[capacity];
};

/// Refills the batch from the buffer with at least one token.
void lex_batch(lexer_buffer& buffer, token_batch& batch);

/// Makes the last token given from the batch the last position made in its
/// buffer, as it is when the tokens come one at a time: where the parser
/// stops, the position that its diagnostics show.
void batch_made_last(const token_batch& batch);

/// The next token of the buffer, after blanks, line breaks and comments.
token lexer(lexer_buffer& buffer);

/// The same, written where the parser wants it: the token's kind, its
/// position into `position` (`dummy` for TK_EOF).
token_kind lexer(lexer_buffer& buffer, lexeme& position);

/// Whether `text` is spelt exactly as a reserved word of the format.
bool is_keyword(std::string_view text);

/// The listing name of a token kind, such as "TK_IDENT".
std::string_view token_name(token_kind kind);

/// The token's name and lexeme; `dummy` for TK_EOF.
std::pair<std::string_view, lexeme> token_code(const token& tok);
