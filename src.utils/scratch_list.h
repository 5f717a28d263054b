// Lists that exist only while a construct is being read: grown item by item in
// source order, then consumed once, when the construct is complete. A list is
// a plain pointer, so that a parser stack moves it as bytes; its cells are
// recycled as soon as it is consumed, so that building lists costs no lasting
// memory however many are built.
#pragma once

#include <cstddef>
#include <new>
#include <span>
#include <type_traits>
#include <vector>

#include "arena.h"

/// Counts the times the arena was rewound: cells kept for reuse from before the
/// last rewind are gone with it.
inline std::size_t scratch_generation = 0;

/// Forgets every cell kept for reuse; for the arena's rewind.
inline void forget_scratch_cells() { ++scratch_generation; }

/// A list under construction; the empty list is the default value.
template <typename T>
struct scratch_list {
  static_assert(std::is_trivially_copyable_v<T>);
  struct cell {
    T item;
    cell* next;
  };
  // The cells form a ring: the last cell's `next` is the first cell, so that
  // both ends are one step away.
  cell* last = nullptr;

  bool empty() const { return last == nullptr; }
  bool has_one_item() const { return last != nullptr && last->next == last; }

  // Cells of consumed lists, waiting for reuse. Lists are read on one thread.
  static inline cell* spare = nullptr;
  static inline std::size_t spare_generation = 0;
};

/// The list with one more item at its end.
template <typename T>
scratch_list<T> append(scratch_list<T> list, T item) {
  using cell = typename scratch_list<T>::cell;
  if (scratch_list<T>::spare_generation != scratch_generation) {
    scratch_list<T>::spare = nullptr;
    scratch_list<T>::spare_generation = scratch_generation;
  }
  void* storage = scratch_list<T>::spare;
  if (storage != nullptr)
    scratch_list<T>::spare = scratch_list<T>::spare->next;
  else
    storage = run_arena().allocate(sizeof(cell));
  auto* added = new (storage) cell{item, nullptr};
  added->next = list.empty() ? added : list.last->next;
  if (!list.empty()) list.last->next = added;
  return {added};
}

/// The first list followed by the second; both are used up.
template <typename T>
scratch_list<T> append_all(scratch_list<T> list, scratch_list<T> items) {
  if (list.empty()) return items;
  if (items.empty()) return list;
  auto* first = list.last->next;
  list.last->next = items.last->next;
  items.last->next = first;
  return items;
}

/// Calls `each` on every item in order, then recycles the list's cells.
template <typename T, typename Each>
void consume(scratch_list<T> list, Each&& each) {
  if (list.empty()) return;
  auto* first = list.last->next;
  for (auto* at = first;; at = at->next) {
    each(at->item);
    if (at == list.last) break;
  }
  list.last->next = scratch_list<T>::spare;
  scratch_list<T>::spare = first;
}

/// The number of items.
template <typename T>
std::size_t size_of(scratch_list<T> list) {
  if (list.empty()) return 0;
  std::size_t count = 1;
  for (auto* at = list.last->next; at != list.last; at = at->next) ++count;
  return count;
}

/// The items, copied where they live as long as the run; consumes the list.
template <typename T>
std::span<const T> kept(scratch_list<T> list) {
  std::size_t count = size_of(list);
  if (count == 0) return {};
  T* items = static_cast<T*>(run_arena().allocate(sizeof(T) * count));
  std::size_t filled = 0;
  consume(list, [&](const T& item) { new (items + filled++) T(item); });
  return {items, count};
}

/// The items as a vector, for a list whose items are needed only for a while;
/// consumes the list.
template <typename T>
std::vector<T> vector_of(scratch_list<T> list) {
  std::vector<T> items;
  consume(list, [&](const T& item) { items.push_back(item); });
  return items;
}
