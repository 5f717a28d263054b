#include "arena.h"

#include <algorithm>

arena::~arena() {
  for (auto dead = destructors_.rbegin(); dead != destructors_.rend(); ++dead)
    dead->destroy(dead->object);
}

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
