#include "simEngine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Integer arithmetic wraps around: computed on unsigned values, whose
// overflow is defined, and converted back.
std::int64_t wrapped(std::uint64_t n) { return static_cast<std::int64_t>(n); }
std::uint64_t bits(std::int64_t n) { return static_cast<std::uint64_t>(n); }

inline bool present(const value& v) { return v.state == value_state::present; }

// Whether the operands of the operation are slots; the others are counts or
// positions in the program's tables. The result is always a slot.
bool a_is_slot(sim_op op) {
  return op != sim_op::at_most_one && op != sim_op::none_of && op != sim_op::call_func;
}
bool c_is_slot(sim_op op) { return op == sim_op::if_op || op == sim_op::arrow; }

}  // namespace

sim_machine::sim_machine(const sim_program& program)
    : program_(program), slots_(program.initial) {
  calls_.reserve(program.funcs.size());
  for (const sim_func_call& call : program.funcs) {
    bound_call& seeded = calls_.emplace_back(bound_call{&call, {}});
    for (std::size_t at = 0; at < call.results.size(); ++at)
      seeded.seeds.push_back(function_result_hash(call.name_hash, at));
  }
  code_ = bound(program.code, true);
  run(bound(program.init, false).data());
}

// The instructions on one clock that follow one another are one block, whose
// clock is tested once for all of them; the memory updates, grouped by
// clock, follow the code when asked for.
std::vector<sim_machine::bound_instr> sim_machine::bound(
    const std::vector<sim_instr>& code, bool with_updates) {
  const void* const* handlers = run(nullptr);
  auto handler = [handlers](sim_op op) { return handlers[static_cast<std::size_t>(op)]; };
  value* const s = slots_.data();
  auto slot = [s](std::uint32_t at) { return operand{.slot = s + at}; };
  auto number = [](std::uint64_t n) { return operand{.n = n}; };
  std::vector<bound_instr> result;
  result.reserve(code.size() + program_.updates.size() + 1);
  std::size_t block = 0;
  bool open = false;
  for (const sim_instr& in : code) {
    if (in.clock == always) {
      open = false;
    } else if (!open || result[block].a.slot != s + in.clock) {
      block = result.size();
      open = true;
      result.push_back({handler(sim_op::clock_block), number(0), slot(in.clock),
                        number(0), number(absent_.size())});
    }
    if (open) {
      bound_instr& header = result[block];
      ++header.b.n;
      if (in.op == sim_op::call_func) {
        for (std::uint32_t made : program_.funcs[in.a].results) {
          absent_.push_back(s + made);
          ++header.dst.n;
        }
      } else {
        absent_.push_back(s + in.dst);
        ++header.dst.n;
      }
    }
    bool a_slot = a_is_slot(in.op);
    result.push_back({handler(in.op), slot(in.dst), a_slot ? slot(in.a) : number(in.a),
                      a_slot ? slot(in.b) : number(in.b),
                      c_is_slot(in.op) ? slot(in.c) : number(in.c)});
  }
  if (with_updates) {
    // The updates are independent of one another (each memory is read only
    // by its own `pre`), so that their order is free: those on the base
    // clock come first, unguarded, then one block a clock.
    std::vector<sim_update> updates = program_.updates;
    auto order = [](const sim_update& update) {
      return update.clock == always ? 0 : std::uint64_t{update.clock} + 1;
    };
    std::stable_sort(
        updates.begin(), updates.end(),
        [&](const sim_update& x, const sim_update& y) { return order(x) < order(y); });
    std::size_t header = 0;
    for (std::size_t at = 0; at < updates.size(); ++at) {
      const sim_update& update = updates[at];
      if (update.clock != always) {
        if (at == 0 || updates[at - 1].clock != update.clock) {
          header = result.size();
          result.push_back({handler(sim_op::update_block), number(0), slot(update.clock),
                            number(0), number(0)});
        }
        ++result[header].b.n;
      }
      result.push_back({handler(sim_op::copy), slot(update.memory), slot(update.source),
                        number(0), number(0)});
    }
  }
  result.push_back({handler(sim_op::end), number(0), number(0), number(0), number(0)});
  return result;
}

// The count of the listed operands that are true, nil if one is not present.
void sim_machine::true_operands(const bound_instr& list, value& count) const {
  bool defined = true;
  std::int64_t found = 0;
  const value* s = slots_.data();
  const std::uint32_t* listed = program_.lists.data() + list.a.n;
  for (std::uint32_t item = 0; item < list.b.n; ++item) {
    const value& operand = s[listed[item]];
    defined = defined && present(operand);
    found += operand.i != 0 ? 1 : 0;
  }
  count.i = found;
  count.state = defined ? value_state::present : value_state::nil;
}

void sim_machine::division_by_zero(std::uint32_t place) const {
  throw Sim_error{program_.file, program_.places[place],
                  "division by zero at step " + std::to_string(step_ + 1)};
}

void sim_machine::int_out_of_range(std::uint32_t place) const {
  throw Sim_error{
      program_.file, program_.places[place],
      "int of a real out of the integer range at step " + std::to_string(step_ + 1)};
}

// Threaded code: each instruction holds the address of its handler, which
// computes it and jumps to the next one's. An operator on an operand that is
// not present (nil, or absent where the clocks disagree) gives nil; present
// is 0, so that one test covers both operands of a binary operator.
#define SIM_NEXT() goto*(++ip)->handler
#define SIM_UNARY(label, compute)          \
  label : {                                \
    value& r = *ip->dst.slot;              \
    const value& a = *ip->a.slot;          \
    if (a.state != value_state::present) { \
      r.state = value_state::nil;          \
    } else {                               \
      compute;                             \
      r.state = value_state::present;      \
    }                                      \
    SIM_NEXT();                            \
  }
#define SIM_BINARY(label, compute)                                                \
  label : {                                                                       \
    value& r = *ip->dst.slot;                                                     \
    const value& a = *ip->a.slot;                                                 \
    const value& b = *ip->b.slot;                                                 \
    if ((static_cast<unsigned>(a.state) | static_cast<unsigned>(b.state)) != 0) { \
      r.state = value_state::nil;                                                 \
    } else {                                                                      \
      compute;                                                                    \
      r.state = value_state::present;                                             \
    }                                                                             \
    SIM_NEXT();                                                                   \
  }

const void* const* sim_machine::run(const bound_instr* ip) {
  static const void* const handlers[] = {
      &&copy,      &&not_op,      &&neg_int,      &&neg_real, &&to_real,     &&to_int,
      &&and_op,    &&or_op,       &&xor_op,       &&impl_op,  &&eq_int,      &&neq_int,
      &&lt_int,    &&lte_int,     &&gt_int,       &&gte_int,  &&eq_real,     &&neq_real,
      &&lt_real,   &&lte_real,    &&gt_real,      &&gte_real, &&add_int,     &&sub_int,
      &&mul_int,   &&div_int,     &&mod_int,      &&add_real, &&sub_real,    &&mul_real,
      &&div_real,  &&if_op,       &&arrow,        &&current,  &&at_most_one, &&none_of,
      &&call_func, &&clock_block, &&update_block, &&end};
  static_assert(std::size(handlers) == static_cast<std::size_t>(sim_op::end) + 1,
                "one handler per operation, in the order of sim_op");
  if (ip == nullptr) return handlers;
  goto * ip->handler;

copy:
  *ip->dst.slot = *ip->a.slot;
  SIM_NEXT();
arrow:
  *ip->dst.slot = ip->c.slot->i != 0 ? *ip->a.slot : *ip->b.slot;
  SIM_NEXT();
current : {
  value& memory = *ip->b.slot;
  const value& a = *ip->a.slot;
  if (a.state != value_state::absent) memory = a;
  *ip->dst.slot = memory;
  SIM_NEXT();
}
if_op : {
  const value& a = *ip->a.slot;
  if (a.state != value_state::present)
    ip->dst.slot->state = value_state::nil;
  else
    *ip->dst.slot = a.i != 0 ? *ip->b.slot : *ip->c.slot;
  SIM_NEXT();
}
at_most_one:
  true_operands(*ip, *ip->dst.slot);
  ip->dst.slot->i = ip->dst.slot->i <= 1;
  SIM_NEXT();
none_of:
  true_operands(*ip, *ip->dst.slot);
  ip->dst.slot->i = ip->dst.slot->i == 0;
  SIM_NEXT();
call_func:
  call_func(calls_[ip->a.n]);
  SIM_NEXT();
clock_block : {
  // Where the clock is false, each result of the block is absent.
  const value& on = *ip->a.slot;
  if (on.state != value_state::present || on.i == 0) {
    value* const* absent = absent_.data() + ip->c.n;
    for (std::uint32_t item = 0; item < ip->dst.n; ++item)
      absent[item]->state = value_state::absent;
    ip += ip->b.n;
  }
  SIM_NEXT();
}
update_block : {
  // Where the clock is false, the memories keep their values.
  const value& on = *ip->a.slot;
  if (on.state != value_state::present || on.i == 0) ip += ip->b.n;
  SIM_NEXT();
}
end:
  return nullptr;

  SIM_UNARY(not_op, r.i = a.i == 0)
  SIM_UNARY(neg_int, r.i = wrapped(0 - bits(a.i)))
  SIM_UNARY(neg_real, r.r = -a.r)
  SIM_UNARY(to_real, r.r = static_cast<double>(a.i))
  // Truncation toward zero; a real outside the integers has no value.
  SIM_UNARY(to_int, if (!(a.r >= -9223372036854775808.0 && a.r < 9223372036854775808.0))
                        int_out_of_range(ip->c.n);
            r.i = static_cast<std::int64_t>(a.r))
  SIM_BINARY(and_op, r.i = a.i & b.i)
  SIM_BINARY(or_op, r.i = a.i | b.i)
  SIM_BINARY(xor_op, r.i = a.i ^ b.i)
  SIM_BINARY(impl_op, r.i = a.i == 0 || b.i != 0)
  SIM_BINARY(eq_int, r.i = a.i == b.i)
  SIM_BINARY(neq_int, r.i = a.i != b.i)
  SIM_BINARY(lt_int, r.i = a.i < b.i)
  SIM_BINARY(lte_int, r.i = a.i <= b.i)
  SIM_BINARY(gt_int, r.i = a.i > b.i)
  SIM_BINARY(gte_int, r.i = a.i >= b.i)
  SIM_BINARY(eq_real, r.i = a.r == b.r)
  SIM_BINARY(neq_real, r.i = a.r != b.r)
  SIM_BINARY(lt_real, r.i = a.r < b.r)
  SIM_BINARY(lte_real, r.i = a.r <= b.r)
  SIM_BINARY(gt_real, r.i = a.r > b.r)
  SIM_BINARY(gte_real, r.i = a.r >= b.r)
  SIM_BINARY(add_int, r.i = wrapped(bits(a.i) + bits(b.i)))
  SIM_BINARY(sub_int, r.i = wrapped(bits(a.i) - bits(b.i)))
  SIM_BINARY(mul_int, r.i = wrapped(bits(a.i) * bits(b.i)))
  // Truncating toward zero; the smallest integer divided by -1 wraps around
  // to itself, and the remainder then is 0.
  SIM_BINARY(div_int, if (b.i == 0) division_by_zero(ip->c.n);
             r.i = b.i == -1 ? wrapped(0 - bits(a.i)) : a.i / b.i)
  SIM_BINARY(mod_int, if (b.i == 0) division_by_zero(ip->c.n);
             r.i = b.i == -1 ? 0 : a.i % b.i)
  SIM_BINARY(add_real, r.r = a.r + b.r)
  SIM_BINARY(sub_real, r.r = a.r - b.r)
  SIM_BINARY(mul_real, r.r = a.r * b.r)
  SIM_BINARY(div_real, r.r = a.r / b.r)
}

#undef SIM_BINARY
#undef SIM_UNARY
#undef SIM_NEXT

void sim_machine::step() {
  run(code_.data());
  ++step_;
}

namespace {

// FNV-1a over the bytes of each word, then mixed: the hash of a function's
// name, its result's position and its arguments.
constexpr std::uint64_t fnv_offset = 14695981039346656037ull;
constexpr std::uint64_t fnv_prime = 1099511628211ull;
// The prime's powers: each byte of zero above a word's highest byte that is
// not zero only multiplies the hash by the prime, so those bytes are mixed
// by one multiplication.
constexpr std::array<std::uint64_t, 9> prime_powers = [] {
  std::array<std::uint64_t, 9> powers{};
  powers[0] = 1;
  for (std::size_t at = 1; at < powers.size(); ++at)
    powers[at] = powers[at - 1] * fnv_prime;
  return powers;
}();
void mix(std::uint64_t& hash, std::uint64_t word) {
  int bytes = (64 - std::countl_zero(word) + 7) / 8;
  for (int byte = 0; byte < bytes; ++byte) {
    hash ^= (word >> (8 * byte)) & 0xff;
    hash *= fnv_prime;
  }
  hash *= prime_powers[static_cast<std::size_t>(8 - bytes)];
}
std::uint64_t word_of(const value& v) {
  std::uint64_t word;
  std::memcpy(&word, &v, sizeof word);
  return word;
}

// The value of the type that the hash gives, in the ranges of drawn inputs.
value hashed_value(std::uint64_t hash, const scalar_type& type) {
  hash ^= hash >> 31;
  hash *= 0x9e3779b97f4a7c15ull;
  hash ^= hash >> 29;
  switch (type.kind) {
    case scalar_kind::boolean: return int_value(static_cast<std::int64_t>(hash & 1));
    case scalar_kind::integer:
    case scalar_kind::external:
      return int_value(static_cast<std::int64_t>(hash % 201) - 100);
    case scalar_kind::real:
      return real_value(
          static_cast<double>(static_cast<std::int64_t>(hash % 20001) - 10000) / 100);
    case scalar_kind::enumeration: {
      std::size_t count = type.named->constants.size();
      return int_value(count == 0 ? 0 : static_cast<std::int64_t>(hash % count));
    }
  }
  return nil_value();
}

}  // namespace

std::uint64_t function_name_hash(std::string_view function) {
  std::uint64_t hash = fnv_offset;
  for (char letter : function) mix(hash, static_cast<unsigned char>(letter));
  return hash;
}

std::uint64_t function_result_hash(std::uint64_t name_hash, std::size_t position) {
  mix(name_hash, position);
  return name_hash;
}

value uninterpreted_value(std::string_view function, std::size_t position,
                          const scalar_type& type, const std::vector<value>& arguments) {
  std::uint64_t hash = function_result_hash(function_name_hash(function), position);
  for (const value& argument : arguments) mix(hash, word_of(argument));
  return hashed_value(hash, type);
}

// The arguments are hashed where they stand, from the hash of the name and
// the result's position made once.
void sim_machine::call_func(const bound_call& bound) {
  const sim_func_call& call = *bound.call;
  value* s = slots_.data();
  for (std::uint32_t slot : call.arguments) {
    if (!present(s[slot])) {
      for (std::uint32_t result : call.results) s[result] = nil_value();
      return;
    }
  }
  for (std::size_t at = 0; at < call.results.size(); ++at) {
    std::uint64_t hash = bound.seeds[at];
    for (std::uint32_t slot : call.arguments) mix(hash, word_of(s[slot]));
    s[call.results[at]] = hashed_value(hash, call.result_types[at]);
  }
}
