#include "arena.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>

namespace {
constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t largest_growth = 6;
}  // namespace

// Only the huge pages that lie wholly inside the block can be asked for.
void ask_for_huge_pages(void* block, std::size_t length) {
  auto start = reinterpret_cast<std::uintptr_t>(block);
  auto first = (start + huge_page - 1) & ~(huge_page - 1);
  auto last = (start + length) & ~(huge_page - 1);
  if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

arena::~arena() {
  for (auto dead = destructors_.rbegin(); dead != destructors_.rend(); ++dead)
    dead->destroy(dead->object);
}

// Chunks double in size up to 64 times the first, so that a small run stays
// small and a large one makes few chunks. A big input's trees fill hundreds of
// megabytes: with small pages they would cost a fault and a TLB entry every
// 4 KiB.
// A chunk given back by a rewind is taken again when it holds the size; one
// that does not is released with every kept chunk after it.
void arena::grow(region& full, std::size_t size) {
  static_assert(static_cast<std::size_t>(chunk_alignment) == huge_page);
  if (chunks_used_ < chunks_.size() && chunk_lengths_[chunks_used_] < size) {
    chunks_.resize(chunks_used_);
    chunk_lengths_.resize(chunks_used_);
  }
  if (chunks_used_ == chunks_.size()) {
    std::size_t growth = std::min(chunks_.size(), largest_growth);
    std::size_t length = std::max(size, chunk_size << growth);
    chunks_.emplace_back(static_cast<char*>(::operator new(length, chunk_alignment)));
    chunk_lengths_.push_back(length);
    if (length >= huge_page) ask_for_huge_pages(chunks_.back().get(), length);
  }
  std::size_t length = chunk_lengths_[chunks_used_];
  reserved_ += length;
  full.next = chunks_[chunks_used_++].get();
  full.limit = full.next + length;
}

arena::mark arena::filled() const {
  return {chunks_used_, destructors_.size(), nodes_.next,
          nodes_.limit, packed_.next,        packed_.limit};
}

void arena::rewind(const mark& to) {
  while (destructors_.size() > to.destructors) {
    destructors_.back().destroy(destructors_.back().object);
    destructors_.pop_back();
  }
  while (chunks_used_ > to.chunks) reserved_ -= chunk_lengths_[--chunks_used_];
  nodes_ = {to.nodes_next, to.nodes_limit};
  packed_ = {to.packed_next, to.packed_limit};
}

constinit arena* current_arena = nullptr;
