// Source positions: the lexeme record, the line counter of the input being
// read, and the text objects of the syntax tree that remember where they were
// written.
#pragma once

#include <cstdint>
#include <string_view>

class arena;

/// A source position: the token text, its line and its first and last columns
/// (1-based, counted in bytes from the start of the line).
struct lexeme {
  std::string_view str;
  int line;
  int cstart;
  int cend;
};

/// The unknown position: text "dummy", line 0, columns 0 to 0.
extern const lexeme dummy;

/// The lexer's current match, as offsets from the start of the input.
struct match_span {
  std::string_view text;
  std::uint64_t start;
  std::uint64_t end;
};

/// The position of the current match; it becomes the last position made.
lexeme make(const match_span& match);

/// The same position, made ahead of its use: it does not become the last
/// position made until `made_last` says so.
lexeme make_ahead(const match_span& match);

/// Makes `position` the last position made.
void made_last(const lexeme& position);

/// Records that the current match ended with a line break.
void new_line(const match_span& match);

/// Makes `line` the current line, its first byte at offset `start` of the
/// input read next: for a text taken from a line of the file and read apart.
void start_line(int line, std::uint64_t start);

/// The most recent position made (`dummy` before the first token).
const lexeme& last_made();

/// Back to line 1 at offset 0, with no position made yet.
void reset_positions();

/// Gives the last position made a copy of its text, for a text about to be
/// released.
void keep_last_made();

/// An immutable text of the syntax tree (identifier, literal, annotation).
/// Objects are compared by identity in the position store and by text
/// everywhere else; a copy of the text is another object, without position.
class text_object {
 public:
  std::string_view text() const { return {chars(), length_}; }
  bool has_position() const { return line_ != 0; }

 private:
  friend const text_object* make_text(arena&, std::string_view, int, int);
  friend lexeme store_get(const class position_store&, const text_object*);
  text_object(std::uint32_t length, int line, int cstart)
      : length_(length), line_(line), cstart_(cstart) {}
  const char* chars() const { return reinterpret_cast<const char*>(this + 1); }

  std::uint32_t length_;
  int line_;
  int cstart_;
};

/// A new text object in `store`, with no position.
const text_object* make_text(arena& store, std::string_view text, int line = 0,
                             int cstart = 0);

/// Attaches positions to text objects by identity. Each object carries its
/// own position, so registering and finding cost no lookup.
class position_store {
 public:
  explicit position_store(arena& texts) : texts_(texts) {}
  arena& texts() const { return texts_; }

 private:
  arena& texts_;
};

/// A new text object holding the position's text, registered at that position.
const text_object* store_add(position_store& store, const lexeme& position);

/// The position registered for this very object, or `dummy`.
lexeme store_get(const position_store& store, const text_object* text);
