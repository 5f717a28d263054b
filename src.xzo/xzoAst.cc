#include "xzoAst.h"

#include <cstring>
#include <memory>

#include "arena.h"
#include "errors.h"

namespace {

// The basic types outlive every run, so that any run's trees can share them.
constinit const type_exp shared_bool{bool_type};
constinit const type_exp shared_int{int_type};
constinit const type_exp shared_real{real_type};

// The operand counts each kind admits: [fewest, most].
struct operand_range {
  std::uint32_t fewest;
  std::uint32_t most;
};

constexpr std::uint32_t unbounded = UINT32_MAX;

operand_range operands_admitted(const exp_nature& nat) {
  switch (facts_of(nat.kind).operands) {
    case exp_operands::leaf: return {0, 0};
    case exp_operands::unary: return {1, 1};
    case exp_operands::binary: return {2, 2};
    case exp_operands::ternary: return {3, 3};
    case exp_operands::some: return {1, unbounded};
    case exp_operands::any: return {0, unbounded};
    case exp_operands::per_field: {
      auto fields = static_cast<std::uint32_t>(nat.cons->field_names.size());
      return {fields, fields};
    }
  }
  __builtin_unreachable();  // the table holds only these
}

// The kinds that carry a payload are the last ones, as `val_exp` lays them out.
constexpr bool payloads_last() {
  for (std::size_t kind = 0; kind < std::size(exp_kind_table); ++kind)
    if ((exp_kind_table[kind].payload != exp_payload::none) != (kind >= nat_iconst))
      return false;
  return true;
}
static_assert(payloads_last());

}  // namespace

const type_exp* bool_type_exp() { return &shared_bool; }

const type_exp* int_type_exp() { return &shared_int; }

const type_exp* real_type_exp() { return &shared_real; }

const type_exp* make_named_type(ident name) {
  return run_arena().make<type_exp>(type_exp{named_type, name});
}

const type_exp* make_array_type(const type_exp* element, const val_exp* size) {
  return run_arena().make<type_exp>(type_exp{array_type, nullptr, element, size});
}

const type_exp* make_tuple_type(std::span<const type_exp* const> items) {
  return run_arena().make<type_exp>(
      type_exp{tuple_type, nullptr, nullptr, nullptr, run_arena().copy(items)});
}

exp_nature plain_nature(exp_kind kind) {
  exp_nature nat;
  nat.kind = kind;
  nat.ival = 0;
  return nat;
}

exp_nature named_nature(exp_kind kind, ident name) {
  exp_nature nat = plain_nature(kind);
  nat.name = name;
  return nat;
}

exp_nature ival_nature(std::int64_t value) {
  exp_nature nat = plain_nature(nat_ival);
  nat.ival = value;
  return nat;
}

exp_nature rval_nature(double value) {
  exp_nature nat = plain_nature(nat_rval);
  nat.rval = value;
  return nat;
}

exp_nature array_elem_nature(const val_exp* index) {
  exp_nature nat = plain_nature(nat_array_elem);
  nat.index = index;
  return nat;
}

exp_nature tuple_elem_nature(std::int64_t position) {
  exp_nature nat = plain_nature(nat_tuple_elem);
  nat.position = position;
  return nat;
}

exp_nature struct_nature(const struct_cons* cons) {
  exp_nature nat = plain_nature(nat_struct);
  nat.cons = cons;
  return nat;
}

exp_nature val_exp::nat() const {
  exp_nature nat = plain_nature(kind_);
  if (has_payload(kind_)) std::memcpy(&nat.ival, &stored(), sizeof(payload));
  return nat;
}

const val_exp* make_val_exp(const exp_nature& nat, std::span<const val_exp* const> ops) {
  operand_range admitted = operands_admitted(nat);
  if (ops.size() < admitted.fewest || ops.size() > admitted.most)
    throw Internal_error{"make_val_exp", "operand count " + std::to_string(ops.size()) +
                                             " not admitted by the expression kind"};
  std::size_t payload_size =
      val_exp::has_payload(nat.kind) ? sizeof(val_exp::payload) : 0;
  char* block = static_cast<char*>(run_arena().allocate(sizeof(val_exp) + payload_size +
                                                        ops.size() * sizeof(val_exp*)));
  auto* node = new (block) val_exp(nat.kind, static_cast<std::uint32_t>(ops.size()));
  char* after = block + sizeof(val_exp);
  if (payload_size != 0) {
    auto* value = new (after) val_exp::payload;
    std::memcpy(value, &nat.ival, sizeof(val_exp::payload));
  }
  if (!ops.empty())
    std::memcpy(after + payload_size, ops.data(), ops.size() * sizeof(val_exp*));
  return node;
}

// Every node is made in the arena's writable memory and handed out as const;
// a fresh node is changed only by the reader that made it, before anyone else
// sees it.
const val_exp* with_place_id(const val_exp* fresh, std::uint32_t id) {
  auto* node = const_cast<val_exp*>(fresh);
  node->place_low_ = static_cast<std::uint8_t>(id);
  node->place_high_ = static_cast<std::uint16_t>(id >> 8);
  return fresh;
}

const val_exp* int_exp(std::int64_t n) {
  return make_val_exp(named_nature(nat_iconst, make_text(run_arena(), zoint_of_int(n))),
                      {});
}

const val_exp* ident_exp(ident name) {
  return make_val_exp(named_nature(nat_ident, name), {});
}

// A constant without operands or payload that the trees of every run share:
// it lives as long as the process, outside the runs' arenas.
const val_exp* lasting_constant(exp_kind kind) { return new val_exp(kind, 0); }

const val_exp* const true_exp = lasting_constant(nat_true);
const val_exp* const false_exp = lasting_constant(nat_false);

left_list::left_list(std::span<const left* const> lefts) {
  if (lefts.empty()) return;
  void* block =
      run_arena().allocate(sizeof(std::size_t) + lefts.size() * sizeof(const left*));
  auto* count = new (block) std::size_t(lefts.size());
  std::uninitialized_copy(lefts.begin(), lefts.end(),
                          reinterpret_cast<const left**>(count + 1));
  count_ = count;
}

def_table make_def_table(const node_def& node) {
  def_table table;
  table.reserve(node.defs.size());
  // A variable defined again is defined by its last equation.
  auto define = [&table](ident name, const val_exp* exp) {
    *table.try_emplace(name->text(), exp).first = exp;
  };
  for (const def& equation : node.defs) {
    if (equation.lefts.size() == 1 && equation.lefts[0]->kind == left_id) {
      define(equation.lefts[0]->name, equation.exp);
      continue;
    }
    std::int64_t position = 0;
    for (const left* item : equation.lefts) {
      if (item->kind != left_id)
        throw Internal_error{"make_def_table::treat_equation", "not implemented"};
      const val_exp* component =
          make_val_exp(tuple_elem_nature(position++), {&equation.exp, 1});
      define(item->name, component);
    }
  }
  return table;
}
