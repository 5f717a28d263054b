// A hash table for the many small tables typing fills and empties node after
// node: open addressing in one array, no allocation per entry, and an
// emptying whose cost follows the entries it held rather than the largest
// size the table ever reached.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

/// A hash for short texts such as names, cheaper on them than the standard
/// library's: FNV-1a, which the map's own mixing completes.
struct short_text_hash {
  std::size_t operator()(std::string_view text) const {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return static_cast<std::size_t>(hash);
  }
};

/// The slot of the key among 2^bits slots by Fibonacci hashing, which spreads
/// keys whose low bits are alike, as those of aligned pointers are.
constexpr std::size_t fibonacci_slot(std::uint64_t key, int bits) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

/// Whether two keys are equal. Names read from one text share their bytes,
/// so two texts at one address are equal without a look at their bytes.
template <typename Key>
bool same_key(const Key& a, const Key& b) {
  return a == b;
}
inline bool same_key(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         (a.data() == b.data() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

/// Maps keys to values; `Key{}` marks a free slot, so it is never a key.
/// Pointers to values stay valid until the next insertion or emptying.
template <typename Key, typename Value, typename Hash = std::hash<Key>>
class flat_map {
 public:
  /// The value of the key, or null.
  Value* find(const Key& key) {
    if (size_ == 0) return nullptr;
    for (std::size_t slot = home(key);; slot = (slot + 1) & mask()) {
      if (same_key(slots_[slot].key, key)) return &slots_[slot].value;
      if (slots_[slot].key == Key{}) return nullptr;
    }
  }
  const Value* find(const Key& key) const {
    return const_cast<flat_map*>(this)->find(key);
  }

  /// The key's value and true after adding it with `value`, or its present
  /// value and false.
  std::pair<Value*, bool> try_emplace(const Key& key, const Value& value) {
    if (2 * (size_ + 1) > slots_.size()) rehash(std::max(min_slots, 2 * slots_.size()));
    std::size_t slot = home(key);
    for (; slots_[slot].key != Key{}; slot = (slot + 1) & mask())
      if (same_key(slots_[slot].key, key)) return {&slots_[slot].value, false};
    slots_[slot] = {key, value};
    ++size_;
    return {&slots_[slot].value, true};
  }

  std::size_t size() const { return size_; }

  /// Makes room for `count` entries in all, so that adding them rehashes
  /// nothing.
  void reserve(std::size_t count) {
    if (2 * count > slots_.size()) rehash(std::max(min_slots, std::bit_ceil(2 * count)));
  }

  /// Removes every entry. A table far larger than its entries needed is
  /// given back, so that emptying it again costs what it held.
  void clear() {
    if (slots_.size() > 8 * size_ + min_slots)
      slots_ = {};
    else
      std::fill(slots_.begin(), slots_.end(), entry{});
    size_ = 0;
  }

 private:
  struct entry {
    Key key{};
    Value value{};
  };

  static constexpr std::size_t min_slots = 16;

  std::size_t mask() const { return slots_.size() - 1; }

  std::size_t home(const Key& key) const {
    return fibonacci_slot(static_cast<std::uint64_t>(Hash{}(key)),
                          std::countr_zero(slots_.size()));
  }

  void rehash(std::size_t count) {
    std::vector<entry> old(count);
    old.swap(slots_);
    for (const entry& kept : old) {
      if (kept.key == Key{}) continue;
      std::size_t slot = home(kept.key);
      while (slots_[slot].key != Key{}) slot = (slot + 1) & mask();
      slots_[slot] = kept;
    }
  }

  std::vector<entry> slots_;  // a power of two, at most half full
  std::size_t size_ = 0;
};
