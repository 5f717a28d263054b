#include "lexeme.h"

#include <cstring>

#include "arena.h"

const lexeme dummy{"dummy", 0, 0, 0};

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

lexeme position_of(const text_object* text) {
  if (!text->has_position()) return dummy;
  int length = static_cast<int>(text->length_);
  return {text->text(), text->line_, text->cstart_, text->cstart_ + length - 1};
}
