// The arena from which the immutable trees of a run are allocated: memory is
// handed out by bumping a pointer and released only when the arena dies.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

class arena {
 public:
  arena() = default;
  ~arena();
  arena(const arena&) = delete;
  arena& operator=(const arena&) = delete;

  /// Raw storage of `size` bytes, aligned for any tree node.
  void* allocate(std::size_t size) { return nodes_.take(size, alignment, *this); }

  /// Raw storage of `size` bytes aligned for 32-bit fields only, such as a text
  /// object; these come from a region of their own, so that neither kind of
  /// storage pads the other.
  void* allocate_packed(std::size_t size) {
    return packed_.take(size, packed_alignment, *this);
  }

  /// A new object, destroyed with the arena.
  template <typename T, typename... Args>
  T* make(Args&&... args) {
    static_assert(alignof(T) <= alignment);
    T* object = new (allocate(sizeof(T))) T(std::forward<Args>(args)...);
    if constexpr (!std::is_trivially_destructible_v<T>)
      destructors_.push_back({object, [](void* dead) { static_cast<T*>(dead)->~T(); }});
    return object;
  }

  /// How far the arena is filled: `rewind` gives back everything taken since.
  struct mark {
    std::size_t chunks;
    std::size_t destructors;
    char* nodes_next;
    char* nodes_limit;
    char* packed_next;
    char* packed_limit;
  };
  mark filled() const;

  /// Destroys the objects made since the mark, newest first, and gives back
  /// the chunks added since; what was taken before the mark stays valid. The
  /// chunks given back are kept, already faulted in, for the runs that follow.
  void rewind(const mark& to);

  /// The bytes of the chunks in use, up to the one being filled.
  std::size_t reserved() const { return reserved_; }

  /// A copy of `items` that lives as long as the arena.
  template <typename T>
  std::span<const T> copy(std::span<const T> items) {
    static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= alignment);
    if (items.empty()) return {};
    T* copies = static_cast<T*>(allocate(sizeof(T) * items.size()));
    std::uninitialized_copy(items.begin(), items.end(), copies);
    return {copies, items.size()};
  }

 private:
  // Memory handed out from the current chunk by bumping `next`; every size
  // taken is a multiple of the region's alignment.
  struct region {
    char* next = nullptr;
    char* limit = nullptr;
    void* take(std::size_t size, std::size_t aligned_to, arena& owner) {
      size = (size + aligned_to - 1) & ~(aligned_to - 1);
      if (size > static_cast<std::size_t>(limit - next)) owner.grow(*this, size);
      void* block = next;
      next += size;
      return block;
    }
  };
  void grow(region& full, std::size_t size);

  // Tree nodes hold at most pointers and 64-bit numbers.
  static constexpr std::size_t alignment = 8;
  static constexpr std::size_t packed_alignment = 4;
  static constexpr std::size_t chunk_size = 1 << 20;
  // Chunks start on a huge page, so that a chunk of huge pages' length is
  // backed by huge pages from end to end.
  static constexpr std::align_val_t chunk_alignment{std::size_t{2} << 20};
  struct chunk_release {
    void operator()(char* chunk) const { ::operator delete(chunk, chunk_alignment); }
  };
  struct destructor {
    void* object;
    void (*destroy)(void*);
  };

  // The chunks in use are the first `chunks_used_`; those after them were
  // given back by a rewind and are taken again in order.
  std::vector<std::unique_ptr<char, chunk_release>> chunks_;
  std::vector<std::size_t> chunk_lengths_;
  std::size_t chunks_used_ = 0;
  std::size_t reserved_ = 0;
  std::vector<destructor> destructors_;
  region nodes_;
  region packed_;
};

/// Asks the system to back the block with huge pages where it can (a hint
/// that cannot fail).
void ask_for_huge_pages(void* block, std::size_t length);

/// The arena of the run being made: every tree of the program is allocated
/// from it. The run that owns the arena installs it here for its lifetime.
// Kept global for speed, since every tree node's allocation reads it: reached
// through it, plain printing and -tparse of a 3 MB gen_zo file take 0.996
// times the instructions they take with the arena a global object (callgrind).
extern constinit arena* current_arena;
inline arena& run_arena() { return *current_arena; }
