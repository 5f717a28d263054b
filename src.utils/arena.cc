#include "arena.h"

#include <algorithm>

void arena::grow(std::size_t size) {
  std::size_t length = std::max(size, chunk_size);
  chunks_.push_back(std::make_unique_for_overwrite<char[]>(length));
  next_ = chunks_.back().get();
  limit_ = next_ + length;
}

arena& run_arena() {
  static arena the_arena;
  return the_arena;
}
