#include "structuralIds.h"

#include <algorithm>
#include <bit>

#include "stack_room.h"

namespace {

std::uint64_t text_hash(std::string_view text) { return short_text_hash{}(text); }

std::uint64_t mix(std::uint64_t hash, std::uint64_t value) {
  return (hash ^ value) * 0x100000001b3ull + (hash >> 29);
}

std::uint64_t struct_hash(const struct_cons& cons) {
  std::uint64_t hash = text_hash(cons.type_name->text());
  for (ident field : cons.field_names) hash = mix(hash, text_hash(field->text()));
  return hash;
}

bool same_cons(const struct_cons& a, const struct_cons& b) {
  if (a.type_name->text() != b.type_name->text()) return false;
  if (a.field_names.size() != b.field_names.size()) return false;
  for (std::size_t i = 0; i < a.field_names.size(); ++i)
    if (a.field_names[i]->text() != b.field_names[i]->text()) return false;
  return true;
}

bool payload_is_text(exp_kind kind) {
  return facts_of(kind).payload == exp_payload::name;
}

}  // namespace

// Only nodes with operands are remembered by address: a leaf is numbered as
// fast as it is found, and the numbers of shared subtrees are computed once.
// The operands' numbers wait on a stack of their own, which every call leaves
// as it found it.
std::uint32_t structural_ids::id_of(const val_exp* e) {
  std::span<const val_exp* const> ops = e->ops();
  if (ops.empty()) return leaf_id(e);
  if (const std::uint32_t* known = numbered_.find(e)) return *known;
  stack_room::check();
  std::size_t first = operand_stack_.size();
  for (const val_exp* operand : ops) {
    std::uint32_t number = id_of(operand);
    operand_stack_.push_back(number);
  }
  std::uint32_t number =
      intern(e, e->kind(), payload_key(e), {operand_stack_.data() + first, ops.size()});
  operand_stack_.resize(first);
  numbered_.try_emplace(e, number);
  return number;
}

std::uint32_t structural_ids::leaf_id(const val_exp* e) {
  auto address = reinterpret_cast<std::uintptr_t>(e);
  recent_leaf& recent =
      recent_leaves_[fibonacci_slot(address, std::countr_zero(recent_count))];
  if (recent.leaf == e) return recent.number;
  std::uint32_t number;
  std::optional<std::int64_t> value;
  if (e->kind() == nat_iconst && (value = value_of_shortest_zoint(e->name()->text())))
    number = intern(e, nat_ival, static_cast<std::uint64_t>(*value), {});
  else
    number = intern(e, e->kind(), payload_key(e), {});
  recent = {e, number};
  return number;
}

// Slots far more than the structures needed are given back, so that
// emptying the table again costs what it held.
void structural_ids::clear() {
  if (slots_.size() > 8 * shapes_.size() + 64)
    slots_ = {};
  else
    std::fill(slots_.begin(), slots_.end(), slot{});
  numbered_.clear();
  operand_stack_.clear();
  recent_leaves_.fill({});
  shapes_.clear();
  operand_numbers_.clear();
}

// A text payload is reduced to its text's hash, and compared by text when the
// reductions agree; a real value has one key for both zeros. No simplified
// value is a NaN, so bit equality is floating-point equality everywhere else.
std::uint64_t structural_ids::payload_key(const val_exp* e) {
  switch (facts_of(e->kind()).payload) {
    case exp_payload::none: return 0;
    case exp_payload::name: return text_hash(e->name()->text());
    case exp_payload::ival: return static_cast<std::uint64_t>(e->ival());
    case exp_payload::rval: {
      double value = e->rval() == 0.0 ? 0.0 : e->rval();
      return std::bit_cast<std::uint64_t>(value);
    }
    case exp_payload::index: return id_of(e->index());
    case exp_payload::position: return static_cast<std::uint64_t>(e->position());
    case exp_payload::cons: return struct_hash(e->cons());
  }
  __builtin_unreachable();  // the table holds only these
}

bool structural_ids::same_shape(const shape& known, const val_exp* e, exp_kind kind,
                                std::uint64_t payload,
                                std::span<const std::uint32_t> operands) const {
  const val_exp* example = known.example;
  if (known.kind != kind || known.payload != payload ||
      example->ops().size() != operands.size())
    return false;
  if (!std::equal(operands.begin(), operands.end(),
                  operand_numbers_.begin() + known.operands_at))
    return false;
  if (payload_is_text(kind)) return example->name()->text() == e->name()->text();
  if (kind == nat_struct) return same_cons(example->cons(), e->cons());
  return true;
}

std::uint32_t structural_ids::intern(const val_exp* e, exp_kind kind,
                                     std::uint64_t payload,
                                     std::span<const std::uint32_t> operands) {
  if (2 * (shapes_.size() + 1) > slots_.size()) grow();
  std::uint64_t full_hash = mix(mix(0xcbf29ce484222325ull, kind), payload);
  for (std::uint32_t operand : operands) full_hash = mix(full_hash, operand);
  auto hash = static_cast<std::uint32_t>(full_hash ^ (full_hash >> 32));
  std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at].number != 0; at = (at + 1) & mask) {
    const slot& candidate = slots_[at];
    if (candidate.hash == hash &&
        same_shape(shapes_[candidate.number - 1], e, kind, payload, operands))
      return candidate.number - 1;
  }
  shapes_.push_back(
      {e, payload, static_cast<std::uint32_t>(operand_numbers_.size()), hash, kind});
  operand_numbers_.insert(operand_numbers_.end(), operands.begin(), operands.end());
  slots_[at] = {hash, static_cast<std::uint32_t>(shapes_.size())};
  return static_cast<std::uint32_t>(shapes_.size() - 1);
}

void structural_ids::grow() {
  slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), slot{});
  std::size_t mask = slots_.size() - 1;
  for (std::size_t number = 0; number < shapes_.size(); ++number) {
    std::size_t at = shapes_[number].hash & mask;
    while (slots_[at].number != 0) at = (at + 1) & mask;
    slots_[at] = {shapes_[number].hash, static_cast<std::uint32_t>(number + 1)};
  }
}
