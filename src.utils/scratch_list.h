// Lists that exist only while a construct is being read: grown item by item in
// source order, then consumed once, when the construct is complete. A list is
// a plain pointer, so that a parser stack moves it as bytes; its cells are
// handed back to the list's store as soon as it is consumed, so that building
// lists costs no lasting memory however many are built.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>
#include <vector>

#include "arena.h"

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
};

/// The cells of one reading's lists: taken from the run's arena, and kept for
/// reuse once their list is consumed. A cell ends with its link to the next
/// cell, so cells of one size serve lists of any item type of that size, and a
/// consumed ring joins the cells kept in one step. The store must not outlive
/// the arena memory of its cells.
class scratch_cells {
 public:
  scratch_cells() = default;
  scratch_cells(const scratch_cells&) = delete;
  scratch_cells& operator=(const scratch_cells&) = delete;

  /// Storage for one cell of `size` bytes.
  template <std::size_t size>
  void* take() {
    void*& spare = spare_[size_class<size>()];
    void* taken = spare;
    if (taken == nullptr) [[unlikely]]
      return run_arena().allocate(size);
    spare = link_of<size>(taken);
    return taken;
  }

  /// Keeps the cells of a ring, from `first` to `last`, for reuse.
  template <std::size_t size>
  void give_back(void* first, void* last) {
    void*& spare = spare_[size_class<size>()];
    std::memcpy(static_cast<char*>(last) + size - sizeof(void*), &spare, sizeof(void*));
    spare = first;
  }

 private:
  static constexpr std::size_t size_classes = 16;
  template <std::size_t size>
  static constexpr std::size_t size_class() {
    static_assert(size % sizeof(void*) == 0 && size / sizeof(void*) < size_classes);
    return size / sizeof(void*);
  }
  template <std::size_t size>
  static void* link_of(void* cell) {
    void* next;
    std::memcpy(&next, static_cast<char*>(cell) + size - sizeof(void*), sizeof(void*));
    return next;
  }

  void* spare_[size_classes] = {};
};

/// The list with one more item at its end.
template <typename T>
scratch_list<T> append(scratch_cells& cells, scratch_list<T> list, T item) {
  using cell = typename scratch_list<T>::cell;
  auto* added = new (cells.take<sizeof(cell)>()) cell{item, nullptr};
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

/// Calls `each` on every item in order, then gives the list's cells back.
template <typename T, typename Each>
void consume(scratch_cells& cells, scratch_list<T> list, Each&& each) {
  using cell = typename scratch_list<T>::cell;
  static_assert(offsetof(cell, next) == sizeof(cell) - sizeof(void*));
  if (list.empty()) return;
  auto* first = list.last->next;
  for (auto* at = first;; at = at->next) {
    each(at->item);
    if (at == list.last) break;
  }
  cells.give_back<sizeof(cell)>(first, list.last);
}

/// The only item of a list of one, whose cell is given back.
template <typename T>
T only_item(scratch_cells& cells, scratch_list<T> list) {
  T item = list.last->item;
  consume(cells, list, [](const T&) {});
  return item;
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
std::span<const T> kept(scratch_cells& cells, scratch_list<T> list) {
  std::size_t count = size_of(list);
  if (count == 0) return {};
  T* items = static_cast<T*>(run_arena().allocate(sizeof(T) * count));
  std::size_t filled = 0;
  consume(cells, list, [&](const T& item) { new (items + filled++) T(item); });
  return {items, count};
}

/// The items as a vector, for a list whose items are needed only for a while;
/// consumes the list.
template <typename T>
std::vector<T> vector_of(scratch_cells& cells, scratch_list<T> list) {
  std::vector<T> items;
  consume(cells, list, [&](const T& item) { items.push_back(item); });
  return items;
}
