#include "simEngine.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

// Integer arithmetic wraps around: computed on unsigned values, whose
// overflow is defined, and converted back.
std::int64_t wrapped(std::uint64_t n) { return static_cast<std::int64_t>(n); }
std::uint64_t bits(std::int64_t n) { return static_cast<std::uint64_t>(n); }

inline bool present(const value& v) { return v.state == value_state::present; }

// The result of an operator on present operands; an operand that is not
// present (nil, or absent where the clocks disagree) makes it nil. Present
// is 0, so one test covers both operands.
template <typename Compute>
[[gnu::always_inline]] inline void unary(value& dst, const value& a, Compute compute) {
  if (a.state != value_state::present) {
    dst.state = value_state::nil;
    return;
  }
  compute(dst);
  dst.state = value_state::present;
}
template <typename Compute>
[[gnu::always_inline]] inline void binary(value& dst, const value& a, const value& b,
                                          Compute compute) {
  if ((static_cast<unsigned>(a.state) | static_cast<unsigned>(b.state)) != 0) {
    dst.state = value_state::nil;
    return;
  }
  compute(dst);
  dst.state = value_state::present;
}

}  // namespace

sim_machine::sim_machine(const sim_program& program)
    : program_(program), slots_(program.initial) {
  code_ = bound(program.code);
  run(bound(program.init));
}

std::vector<sim_machine::bound_instr> sim_machine::bound(
    const std::vector<sim_instr>& code) {
  std::vector<bound_instr> result;
  result.reserve(code.size());
  value* s = slots_.data();
  // Operands that are counts or table positions point at slot 0, unread.
  auto slot = [&](std::uint32_t at) { return at < slots_.size() ? s + at : s; };
  for (const sim_instr& in : code)
    result.push_back({in.op, in.clock == always ? nullptr : s + in.clock, s + in.dst,
                      slot(in.a), slot(in.b), slot(in.c), &in});
  return result;
}

void sim_machine::division_by_zero(const sim_instr& instr) const {
  throw Sim_error{program_.file, program_.places[instr.c],
                  "division by zero at step " + std::to_string(step_ + 1)};
}

// One switch case an operation, each reading only its own operands.
void sim_machine::run(const std::vector<bound_instr>& code) {
  value* s = slots_.data();
  for (const bound_instr& bound : code) {
    value& dst = *bound.dst;
    if (bound.on != nullptr &&
        (bound.on->state != value_state::present || bound.on->i == 0)) {
      dst.state = value_state::absent;
      if (bound.op == sim_op::call_func)
        for (std::uint32_t result : program_.funcs[bound.source->a].results)
          s[result].state = value_state::absent;
      continue;
    }
    const value& a = *bound.a;
    const value& b = *bound.b;
    switch (bound.op) {
      case sim_op::copy: dst = a; break;
      case sim_op::arrow: dst = bound.c->i != 0 ? a : b; break;
      case sim_op::current: {
        value& memory = *bound.b;
        if (a.state != value_state::absent) memory = a;
        dst = memory;
        break;
      }
      case sim_op::if_op:
        if (a.state != value_state::present)
          dst.state = value_state::nil;
        else
          dst = a.i != 0 ? b : *bound.c;
        break;
      case sim_op::at_most_one:
      case sim_op::none_of: {
        int count = 0;
        bool defined = true;
        const sim_instr& in = *bound.source;
        for (std::uint32_t at = 0; at < in.b; ++at) {
          const value& item = s[program_.lists[in.a + at]];
          defined = defined && present(item);
          count += item.i != 0 ? 1 : 0;
        }
        dst.state = defined ? value_state::present : value_state::nil;
        dst.i = in.op == sim_op::none_of ? count == 0 : count <= 1;
        break;
      }
      case sim_op::call_func: call_func(program_.funcs[bound.source->a]); break;
      case sim_op::not_op: unary(dst, a, [&](value& r) { r.i = a.i == 0; }); break;
      case sim_op::neg_int:
        unary(dst, a, [&](value& r) { r.i = wrapped(0 - bits(a.i)); });
        break;
      case sim_op::neg_real: unary(dst, a, [&](value& r) { r.r = -a.r; }); break;
      case sim_op::to_real:
        unary(dst, a, [&](value& r) { r.r = static_cast<double>(a.i); });
        break;
      case sim_op::to_int:
        // Truncation toward zero; a real outside the integers has no value.
        unary(dst, a, [&](value& r) {
          if (!(a.r >= -9223372036854775808.0 && a.r < 9223372036854775808.0))
            throw Sim_error{program_.file, program_.places[bound.source->c],
                            "int of a real out of the integer range at step " +
                                std::to_string(step_ + 1)};
          r.i = static_cast<std::int64_t>(a.r);
        });
        break;
      case sim_op::and_op: binary(dst, a, b, [&](value& r) { r.i = a.i & b.i; }); break;
      case sim_op::or_op: binary(dst, a, b, [&](value& r) { r.i = a.i | b.i; }); break;
      case sim_op::xor_op: binary(dst, a, b, [&](value& r) { r.i = a.i ^ b.i; }); break;
      case sim_op::impl_op:
        binary(dst, a, b, [&](value& r) { r.i = a.i == 0 || b.i != 0; });
        break;
      case sim_op::eq_int: binary(dst, a, b, [&](value& r) { r.i = a.i == b.i; }); break;
      case sim_op::neq_int: binary(dst, a, b, [&](value& r) { r.i = a.i != b.i; }); break;
      case sim_op::lt_int: binary(dst, a, b, [&](value& r) { r.i = a.i < b.i; }); break;
      case sim_op::lte_int: binary(dst, a, b, [&](value& r) { r.i = a.i <= b.i; }); break;
      case sim_op::gt_int: binary(dst, a, b, [&](value& r) { r.i = a.i > b.i; }); break;
      case sim_op::gte_int: binary(dst, a, b, [&](value& r) { r.i = a.i >= b.i; }); break;
      case sim_op::eq_real: binary(dst, a, b, [&](value& r) { r.i = a.r == b.r; }); break;
      case sim_op::neq_real:
        binary(dst, a, b, [&](value& r) { r.i = a.r != b.r; });
        break;
      case sim_op::lt_real: binary(dst, a, b, [&](value& r) { r.i = a.r < b.r; }); break;
      case sim_op::lte_real:
        binary(dst, a, b, [&](value& r) { r.i = a.r <= b.r; });
        break;
      case sim_op::gt_real: binary(dst, a, b, [&](value& r) { r.i = a.r > b.r; }); break;
      case sim_op::gte_real:
        binary(dst, a, b, [&](value& r) { r.i = a.r >= b.r; });
        break;
      case sim_op::add_int:
        binary(dst, a, b, [&](value& r) { r.i = wrapped(bits(a.i) + bits(b.i)); });
        break;
      case sim_op::sub_int:
        binary(dst, a, b, [&](value& r) { r.i = wrapped(bits(a.i) - bits(b.i)); });
        break;
      case sim_op::mul_int:
        binary(dst, a, b, [&](value& r) { r.i = wrapped(bits(a.i) * bits(b.i)); });
        break;
      // Truncating toward zero; the smallest integer divided by -1 wraps
      // around to itself, and the remainder then is 0.
      case sim_op::div_int:
        binary(dst, a, b, [&](value& r) {
          if (b.i == 0) division_by_zero(*bound.source);
          r.i = b.i == -1 ? wrapped(0 - bits(a.i)) : a.i / b.i;
        });
        break;
      case sim_op::mod_int:
        binary(dst, a, b, [&](value& r) {
          if (b.i == 0) division_by_zero(*bound.source);
          r.i = b.i == -1 ? 0 : a.i % b.i;
        });
        break;
      case sim_op::add_real: binary(dst, a, b, [&](value& r) { r.r = a.r + b.r; }); break;
      case sim_op::sub_real: binary(dst, a, b, [&](value& r) { r.r = a.r - b.r; }); break;
      case sim_op::mul_real: binary(dst, a, b, [&](value& r) { r.r = a.r * b.r; }); break;
      case sim_op::div_real: binary(dst, a, b, [&](value& r) { r.r = a.r / b.r; }); break;
      // Every operation has its case: no test for another value is needed.
      default: __builtin_unreachable();
    }
  }
}

void sim_machine::step() {
  run(code_);
  value* s = slots_.data();
  for (const sim_update& update : program_.updates)
    if (active(update.clock)) s[update.memory] = s[update.source];
  ++step_;
}

namespace {

// FNV-1a over the bytes of each word, then mixed: the hash of a function's
// name, its result's position and its arguments.
constexpr std::uint64_t fnv_offset = 14695981039346656037ull;
void mix(std::uint64_t& hash, std::uint64_t word) {
  for (int byte = 0; byte < 8; ++byte) {
    hash ^= (word >> (8 * byte)) & 0xff;
    hash *= 1099511628211ull;
  }
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

value uninterpreted_value(std::string_view function, std::size_t position,
                          const scalar_type& type, const std::vector<value>& arguments) {
  std::uint64_t hash = function_name_hash(function);
  mix(hash, position);
  for (const value& argument : arguments) mix(hash, word_of(argument));
  return hashed_value(hash, type);
}

// The arguments are hashed where they stand, with the name's hash made once.
void sim_machine::call_func(const sim_func_call& call) {
  bool defined = true;
  for (std::uint32_t slot : call.arguments) defined = defined && present(slots_[slot]);
  for (std::size_t at = 0; at < call.results.size(); ++at) {
    if (!defined) {
      slots_[call.results[at]] = nil_value();
      continue;
    }
    std::uint64_t hash = call.name_hash;
    mix(hash, at);
    for (std::uint32_t slot : call.arguments) mix(hash, word_of(slots_[slot]));
    slots_[call.results[at]] = hashed_value(hash, call.result_types[at]);
  }
}
