#include "lexeme.h"

#include <cstring>

#include "arena.h"
#include "verbose.h"

const lexeme dummy{"dummy", 0, 0, 0};

namespace {
int current_line = 1;
std::uint64_t line_start = 0;
lexeme last_position = dummy;
}  // namespace

// Both copies of the position are written field by field from the same
// values: copying one from the other as a whole, once inlined, reads back
// memory just written in smaller pieces and stalls on every token.
lexeme make(const match_span& match) {
  int cstart = static_cast<int>(match.start - line_start) + 1;
  int cend = static_cast<int>(match.end - line_start);
  last_position.str = match.text;
  last_position.line = current_line;
  last_position.cstart = cstart;
  last_position.cend = cend;
  return {match.text, current_line, cstart, cend};
}

lexeme make_ahead(const match_span& match) {
  return {match.text, current_line, static_cast<int>(match.start - line_start) + 1,
          static_cast<int>(match.end - line_start)};
}

void made_last(const lexeme& position) { last_position = position; }

void new_line(const match_span& match) {
  line_start = match.end;
  ++current_line;
  if (verbose::shown(2)) verbose::printf(2, "\rreading line %4d", current_line);
}

void start_line(int line, std::uint64_t start) {
  current_line = line;
  line_start = start;
}

const lexeme& last_made() { return last_position; }

void reset_positions() {
  start_line(1, 0);
  last_position = dummy;
}

void keep_last_made() {
  std::string_view text = last_position.str;
  char* copy = static_cast<char*>(run_arena().allocate(text.size()));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  last_position.str = {copy, text.size()};
}

const text_object* make_text(arena& store, std::string_view text, int line, int cstart) {
  static_assert(alignof(text_object) <= 4);
  void* block = store.allocate_packed(sizeof(text_object) + text.size());
  auto* object =
      new (block) text_object(static_cast<std::uint32_t>(text.size()), line, cstart);
  if (!text.empty())
    std::memcpy(static_cast<char*>(block) + sizeof(text_object), text.data(),
                text.size());
  return object;
}

const text_object* store_add(position_store& store, const lexeme& position) {
  return make_text(store.texts(), position.str, position.line, position.cstart);
}

lexeme store_get(const position_store&, const text_object* text) {
  if (!text->has_position()) return dummy;
  int length = static_cast<int>(text->length_);
  return {text->text(), text->line_, text->cstart_, text->cstart_ + length - 1};
}
