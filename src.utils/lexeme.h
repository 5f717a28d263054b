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
