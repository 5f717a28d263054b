// The abstract syntax of a zo program: the package and its declarations, and
// the immutable, shareable trees of expressions, types and equation lefts.
// Trees live in the run's arena; nothing changes them once built.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "flat_map.h"
#include "lexeme.h"

/// A name of the program: compared by text, positioned by identity.
using ident = const text_object*;

class val_exp;

// ---------------------------------------------------------------------------
// Type expressions

enum type_exp_kind : std::uint8_t {
  bool_type,
  int_type,
  real_type,
  named_type,
  array_type,
  tuple_type,
};

struct type_exp {
  type_exp_kind kind;
  ident name = nullptr;                         // named_type
  const type_exp* element = nullptr;            // array_type
  const val_exp* size = nullptr;                // array_type
  std::span<const type_exp* const> items = {};  // tuple_type
};

/// The shared `bool`, `int` and `real` type expressions.
const type_exp* bool_type_exp();
const type_exp* int_type_exp();
const type_exp* real_type_exp();
const type_exp* make_named_type(ident name);
const type_exp* make_array_type(const type_exp* element, const val_exp* size);
const type_exp* make_tuple_type(std::span<const type_exp* const> items);

// ---------------------------------------------------------------------------
// Expressions

enum exp_kind : std::uint8_t {
#define EXP_KIND(kind, spelling, operands, payload) kind,
#include "xzoExpKinds.def"
#undef EXP_KIND
};

/// The operands a kind of expression takes.
enum class exp_operands : std::uint8_t {
  leaf,       // none
  unary,      // one
  binary,     // two
  ternary,    // three
  some,       // one or more
  any,        // zero or more
  per_field,  // one for each field of its structure
};

/// What a kind of expression carries besides its operands: the member of
/// `exp_nature` that holds it.
enum class exp_payload : std::uint8_t { none, name, ival, rval, index, position, cons };

/// What every expression of a kind shares: the operator as written (empty for
/// a kind that is no operator), its operands and its payload.
struct exp_kind_facts {
  std::string_view spelling;
  exp_operands operands;
  exp_payload payload;
};

inline constexpr exp_kind_facts exp_kind_table[] = {
#define EXP_KIND(kind, spelling, operands, payload) \
  {spelling, exp_operands::operands, exp_payload::payload},
#include "xzoExpKinds.def"
#undef EXP_KIND
};

/// The facts of the kind.
constexpr const exp_kind_facts& facts_of(exp_kind kind) { return exp_kind_table[kind]; }

/// Whether expressions of the kind have no operand.
constexpr bool is_leaf(exp_kind kind) {
  return facts_of(kind).operands == exp_operands::leaf;
}

/// A structure value's type name and its field names in written order.
struct struct_cons {
  ident type_name;
  std::span<const ident> field_names;
};

/// What an expression node is: its kind and, for some kinds, a payload.
struct exp_nature {
  exp_kind kind;
  union {
    ident name;               // nat_iconst, nat_rconst (the literal text),
                              // nat_ident, nat_call, nat_field
    std::int64_t ival;        // nat_ival
    double rval;              // nat_rval
    const val_exp* index;     // nat_array_elem
    std::int64_t position;    // nat_tuple_elem
    const struct_cons* cons;  // nat_struct
  };
};

/// The nature of a kind without payload.
exp_nature plain_nature(exp_kind kind);
/// The nature of a kind whose payload is a text: literal, name, call, field.
exp_nature named_nature(exp_kind kind, ident name);
exp_nature ival_nature(std::int64_t value);
exp_nature rval_nature(double value);
exp_nature array_elem_nature(const val_exp* index);
exp_nature tuple_elem_nature(std::int64_t position);
exp_nature struct_nature(const struct_cons* cons);

/// An expression node: a nature and its operands. The node is an 8-byte head
/// (kind, place number and operand count); the payload, for the kinds that have one, and
/// then the operands are allocated right after it, so that an operator costs
/// 8 bytes plus one pointer per operand, and a name or a call 8 bytes more.
class alignas(8) val_exp {
 public:
  exp_kind kind() const { return kind_; }
  exp_nature nat() const;
  std::span<const val_exp* const> ops() const {
    const char* first = reinterpret_cast<const char*>(this + 1) +
                        (has_payload(kind_) ? sizeof(payload) : 0);
    return {reinterpret_cast<const val_exp* const*>(first), count_};
  }
  const val_exp* op(std::size_t position) const { return ops()[position]; }

  // The payload, for the kinds listed at `exp_nature`.
  ident name() const { return stored().name; }
  std::int64_t ival() const { return stored().ival; }
  double rval() const { return stored().rval; }
  const val_exp* index() const { return stored().index; }
  std::int64_t position() const { return stored().position; }
  const struct_cons& cons() const { return *stored().cons; }

  /// The number under which a reader that keeps places recorded the node's
  /// token; 0 when none did.
  std::uint32_t place_id() const { return place_low_ | std::uint32_t{place_high_} << 8; }
  /// The largest number `place_id` holds.
  static constexpr std::uint32_t max_place_id = (std::uint32_t{1} << 24) - 1;

 private:
  friend const val_exp* make_val_exp(const exp_nature&, std::span<const val_exp* const>);
  friend const val_exp* with_place_id(const val_exp*, std::uint32_t);
  friend const val_exp* lasting_constant(exp_kind kind);
  union payload {
    ident name;
    std::int64_t ival;
    double rval;
    const val_exp* index;
    std::int64_t position;
    const struct_cons* cons;
  };
  // The kinds from `nat_iconst` on carry a payload: one comparison, on the
  // path of every operand access, rather than a look-up in the table.
  static constexpr bool has_payload(exp_kind kind) { return kind >= nat_iconst; }
  const payload& stored() const { return *reinterpret_cast<const payload*>(this + 1); }
  val_exp(exp_kind kind, std::uint32_t count) : kind_(kind), count_(count) {}

  // The place number fills the bytes between the kind and the count.
  exp_kind kind_;
  std::uint8_t place_low_ = 0;
  std::uint16_t place_high_ = 0;
  std::uint32_t count_;
};
static_assert(sizeof(val_exp) == 8);

/// Gives a node that its maker holds alone the place number `id` (at most
/// `val_exp::max_place_id`), and gives the node back.
const val_exp* with_place_id(const val_exp* fresh, std::uint32_t id);

/// The node with that nature and those operands; fails with `Internal_error`
/// when the operand count is not one the kind admits.
const val_exp* make_val_exp(const exp_nature& nat, std::span<const val_exp* const> ops);
inline const val_exp* make_val_exp(exp_kind kind, std::span<const val_exp* const> ops) {
  return make_val_exp(plain_nature(kind), ops);
}

/// The integer literal whose text is `zoint_of_int(n)`.
const val_exp* int_exp(std::int64_t n);
/// The name as an expression.
const val_exp* ident_exp(ident name);

/// The shared Boolean constants.
extern const val_exp* const true_exp;
extern const val_exp* const false_exp;

// ---------------------------------------------------------------------------
// Equations

struct slice {
  const val_exp* first;
  const val_exp* last;
  const val_exp* step;  // null when no step is written
};

enum left_kind : std::uint8_t { left_id, left_field, left_elem, left_slice };

/// One left of an equation: a variable, or a field, element or slice of an
/// inner left. Only the member its kind names may be read.
struct left {
  left_kind kind;
  const left* inner = nullptr;  // left_field, left_elem, left_slice
  union {
    ident name;            // left_id: the variable; left_field: the field
    const val_exp* index;  // left_elem
    const slice* range;    // left_slice
  };
};
static_assert(sizeof(left) == 24);

/// The lefts of an equation, in one block of the run's arena that holds
/// their count before them: one pointer, so that an equation costs two. A
/// block may be shared by every equation of the same lefts.
class left_list {
 public:
  /// No lefts.
  left_list() = default;
  /// A copy of the lefts in a block of its own.
  left_list(std::span<const left* const> lefts);

  std::size_t size() const { return count_ == nullptr ? 0 : *count_; }
  bool empty() const { return size() == 0; }
  const left* const* begin() const {
    return count_ == nullptr ? nullptr : reinterpret_cast<const left* const*>(count_ + 1);
  }
  const left* const* end() const { return begin() + size(); }
  const left* operator[](std::size_t position) const { return begin()[position]; }

 private:
  // The count, the lefts right after it.
  const std::size_t* count_ = nullptr;
};

struct def {
  left_list lefts;
  const val_exp* exp;
};
static_assert(sizeof(def) == 16);

/// The text of one annotation, after its "--%" marker.
using pragma = ident;

// ---------------------------------------------------------------------------
// Declarations

struct typed_ident {
  ident name;
  const type_exp* type;
};

struct flow {
  ident name;
  const type_exp* type;
  ident clock;  // null for the base clock
};

enum input_kind : std::uint8_t { var_input, const_input };

struct input_flow {
  input_kind kind;
  flow var;
};

struct func_def {
  bool is_unsafe;
  ident name;
  std::span<const typed_ident> inputs;
  std::span<const typed_ident> outputs;
};

struct node_def {
  ident name;
  std::span<const input_flow> inputs;
  std::span<const flow> outputs;
  std::span<const flow> locals;
  std::span<const val_exp* const> asserts;
  std::span<const def> defs;
  std::span<const pragma> pragmas;
};

enum oper_kind : std::uint8_t { func_oper, node_oper };

struct oper {
  oper_kind kind;
  const func_def* func = nullptr;  // func_oper
  const node_def* node = nullptr;  // node_oper
};

enum const_kind : std::uint8_t { extern_const, defined_const };

struct const_def {
  const_kind kind;
  ident name;
  const type_exp* type;  // null for a defined constant written without type
  const val_exp* value;  // null for an external constant
};

/// A table from name text to declarations, iterated in insertion order.
template <typename T>
class name_table {
 public:
  struct entry {
    ident name;
    const T* value;
  };

  /// The declaration of that name, or null.
  const T* find(std::string_view name) const {
    if (slots_.empty()) return nullptr;
    const slot& found = slots_[locate(name, hash_of(name))];
    return found.position == 0 ? nullptr : entries_[found.position - 1].value;
  }
  /// The position of the name's entry in insertion order, or `absent`.
  static constexpr std::size_t absent = static_cast<std::size_t>(-1);
  std::size_t position_of(std::string_view name) const {
    if (slots_.empty()) return absent;
    const slot& found = slots_[locate(name, hash_of(name))];
    return found.position == 0 ? absent : found.position - 1;
  }
  /// Whether some name was added more than once, which only `add` can do.
  bool has_repeats() const { return has_repeats_; }
  /// Adds the entry. A name the table holds already is entered again, after
  /// the others, but lookups keep finding its first entry.
  void add(ident name, const T* value) {
    if (add_new(name, value)) return;
    entries_.push_back({name, value});
    has_repeats_ = true;
  }
  /// Adds the name unless the table holds it already; says whether it did.
  bool add_new(ident name, const T* value) {
    if (2 * (entries_.size() + 1) > slots_.size()) grow();
    std::size_t hash = hash_of(name->text());
    slot& place = slots_[locate(name->text(), hash)];
    if (place.position != 0) return false;
    entries_.push_back({name, value});
    place = {static_cast<std::uint32_t>(hash),
             static_cast<std::uint32_t>(entries_.size())};
    return true;
  }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  std::size_t size() const { return entries_.size(); }

 private:
  // The index is an open-addressing table, at most half full, of entry
  // positions plus one (0 for a free slot) with their names' hashes: a lookup
  // usually reads one slot, and compares texts only when the hashes agree.
  struct slot {
    std::uint32_t hash = 0;
    std::uint32_t position = 0;
  };
  static std::size_t hash_of(std::string_view name) {
    return std::hash<std::string_view>{}(name);
  }
  // The slot holding that name, or the free slot where it would go.
  std::size_t locate(std::string_view name, std::size_t hash) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const slot& candidate = slots_[at];
      if (candidate.position == 0) return at;
      if (candidate.hash == static_cast<std::uint32_t>(hash) &&
          entries_[candidate.position - 1].name->text() == name)
        return at;
    }
  }
  // Doubles the slots, placing each entry again by its kept hash.
  void grow() {
    std::vector<slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 8 : 2 * old.size(), slot{});
    std::size_t mask = slots_.size() - 1;
    for (const slot& moved : old) {
      if (moved.position == 0) continue;
      std::size_t at = moved.hash & mask;
      while (slots_[at].position != 0) at = (at + 1) & mask;
      slots_[at] = moved;
    }
  }

  std::vector<entry> entries_;
  std::vector<slot> slots_;
  bool has_repeats_ = false;
};

struct field_info {
  ident name;
  const type_exp* type;
  const val_exp* default_value;  // null when none is written
};

struct struct_info {
  ident name;
  std::vector<ident> field_names;
  name_table<field_info> fields;
};

enum type_def_kind : std::uint8_t { extern_type, aliased_type, enum_type, struct_type };

struct type_def {
  type_def_kind kind;
  ident name;
  const type_exp* definition = nullptr;   // aliased_type
  std::span<const ident> constants = {};  // enum_type
  const struct_info* info = nullptr;      // struct_type
};

enum item_kind : std::uint8_t { const_item, type_item, oper_item };

struct def_item {
  item_kind kind;
  ident name;
};

/// A whole program read from one file.
struct package {
  name_table<const_def> consts;
  name_table<type_def> types;
  name_table<oper> opers;
  std::vector<def_item> items;
};

/// The variables of a node and the expression defining each; the component of
/// a tuple-valued right side for several lefts.
using def_table = flat_map<std::string_view, const val_exp*, short_text_hash>;

/// Fails with `Internal_error` when a left is not a plain variable.
def_table make_def_table(const node_def& node);

// ---------------------------------------------------------------------------
// Numeric literals: conversions between literal texts and values, each checked
// by converting back. Failures are `Global_error`.

std::int64_t int_of_zoint(std::string_view text);
double float_of_zoreal(std::string_view text);
std::string zoint_of_int(std::int64_t value);
/// The value of an integer literal whose text is the one its value prints
/// as (no sign but "-", no leading zero, not the smallest integer), or
/// nothing.
std::optional<std::int64_t> value_of_shortest_zoint(std::string_view text);
std::string zoreal_of_float(double value);
/// Whether `zoreal_of_float` gives a text for the value.
bool has_zoreal(double value);
