// Source positions: the lexeme record, and the text objects of the syntax
// tree that remember where they were written.
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

/// An immutable text of the syntax tree (identifier, literal, annotation),
/// which carries the position it was read at, if any. Texts are compared by
/// their characters; a copy of the text is another object, without position.
class text_object {
 public:
  std::string_view text() const { return {chars(), length_}; }
  bool has_position() const { return line_ != 0; }

 private:
  friend const text_object* make_text(arena&, std::string_view, int, int);
  friend lexeme position_of(const text_object*);
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

/// Where the texts read with their positions are made: the arena they live in.
class position_store {
 public:
  explicit position_store(arena& texts) : texts_(texts) {}
  arena& texts() const { return texts_; }

 private:
  arena& texts_;
};

/// A new text object in the store holding the position's text, placed there.
const text_object* store_add(position_store& store, const lexeme& position);

/// The position the text was read at, or `dummy` for a text without one.
lexeme position_of(const text_object* text);
