// Structural identity of expressions: every expression gets a number that it
// shares with exactly the expressions structurally equal to it (same kinds,
// equal payloads, equal operands, recursively). Each distinct node is numbered
// once, so comparing or keying trees by structure costs linear time overall,
// however deep or long they are.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "flat_map.h"
#include "xzoAst.h"

class structural_ids {
 public:
  /// The number of the expression's structure; numbers are dense from 0.
  std::uint32_t id_of(const val_exp* e);

  /// The numbers of the operands of every expression numbered `id`.
  std::span<const std::uint32_t> operand_ids(std::uint32_t id) const {
    const shape& known = shapes_[id];
    return {operand_numbers_.data() + known.operands_at, known.example->ops().size()};
  }

  /// Whether the two expressions are structurally equal. Names and literal
  /// texts compare by text, numbers by value (0.0 equals -0.0); an integer
  /// literal in its shortest text equals its value, which prints alike.
  /// Expressions that differ at the root in operand count or kind (an
  /// integer literal counting as a value) are told apart without numbering.
  bool same(const val_exp* a, const val_exp* b) {
    return a == b ||
           (a->ops().size() == b->ops().size() &&
            kind_class(a->kind()) == kind_class(b->kind()) && id_of(a) == id_of(b));
  }

  /// The kind of an expression, an integer literal counting as a value: what
  /// two structurally equal expressions have alike at the root.
  static exp_kind kind_class(exp_kind kind) {
    return kind == nat_iconst ? nat_ival : kind;
  }

  /// An expression numbered `id`.
  const val_exp* example(std::uint32_t id) const { return shapes_[id].example; }

  /// How many distinct structures have been numbered.
  std::size_t count() const { return shapes_.size(); }

  /// Forgets every number, keeping the storage for the next use.
  void clear();

 private:
  // One distinct structure: its kind, its payload reduced to 64 bits (or the
  // payload's object, compared by content), and its operands' numbers.
  struct shape {
    const val_exp* example;
    std::uint64_t payload;
    std::uint32_t operands_at;
    std::uint32_t hash;
    exp_kind kind;  // the example's, or nat_ival for a literal keyed by value
  };
  struct slot {
    std::uint32_t hash = 0;
    std::uint32_t number = 0;  // shape number plus one, 0 for a free slot
  };
  // A leaf numbered lately. The reader shares a leaf between the occurrences
  // of its text, so most leaves are found here by address.
  struct recent_leaf {
    const val_exp* leaf = nullptr;
    std::uint32_t number = 0;
  };
  static constexpr std::size_t recent_count = 256;

  std::uint32_t leaf_id(const val_exp* e);
  std::uint64_t payload_key(const val_exp* e);
  bool same_shape(const shape& known, const val_exp* e, exp_kind kind,
                  std::uint64_t payload, std::span<const std::uint32_t> operands) const;
  std::uint32_t intern(const val_exp* e, exp_kind kind, std::uint64_t payload,
                       std::span<const std::uint32_t> operands);
  void grow();

  flat_map<const val_exp*, std::uint32_t> numbered_;
  std::vector<shape> shapes_;
  std::vector<std::uint32_t> operand_numbers_;
  std::vector<std::uint32_t> operand_stack_;  // the operands' numbers being gathered
  std::vector<slot> slots_;                   // a power of two, at most half full
  std::array<recent_leaf, recent_count> recent_leaves_{};
};
