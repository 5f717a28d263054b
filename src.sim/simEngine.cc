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

}  // namespace

sim_machine::sim_machine(const sim_program& program)
    : program_(program), slots_(program.initial) {
  run(program.init);
}

void sim_machine::division_by_zero(const sim_instr& instr) const {
  throw Sim_error{program_.file, program_.places[instr.c],
                  "division by zero at step " + std::to_string(step_ + 1)};
}

void sim_machine::call_func(const sim_func_call& call) {
  std::vector<value> arguments;
  arguments.reserve(call.arguments.size());
  bool defined = true;
  for (std::uint32_t slot : call.arguments) {
    arguments.push_back(slots_[slot]);
    defined = defined && present(slots_[slot]);
  }
  for (std::size_t at = 0; at < call.results.size(); ++at)
    slots_[call.results[at]] =
        defined ? uninterpreted_value(call.name, at, call.result_types[at], arguments)
                : nil_value();
}

// One switch case per operation; an operand that is not present (nil, or
// absent where the clocks disagree) makes the result nil.
void sim_machine::run(const std::vector<sim_instr>& code) {
  value* s = slots_.data();
  for (const sim_instr& in : code) {
    value& dst = s[in.dst];
    if (in.clock != always) {
      const value& on = s[in.clock];
      if (on.state != value_state::present || on.i == 0) {
        dst.state = value_state::absent;
        if (in.op == sim_op::call_func)
          for (std::uint32_t result : program_.funcs[in.a].results)
            s[result].state = value_state::absent;
        continue;
      }
    }
    const value& a = s[in.a];
    switch (in.op) {
      case sim_op::copy: dst = a; continue;
      case sim_op::arrow: dst = s[in.c].i != 0 ? a : s[in.b]; continue;
      case sim_op::current: {
        value& memory = s[in.b];
        if (a.state != value_state::absent) memory = a;
        dst = memory;
        continue;
      }
      case sim_op::if_op:
        dst = !present(a) ? nil_value() : a.i != 0 ? s[in.b] : s[in.c];
        continue;
      case sim_op::at_most_one:
      case sim_op::none_of: {
        int count = 0;
        bool defined = true;
        for (std::uint32_t at = 0; at < in.b; ++at) {
          const value& item = s[program_.lists[in.a + at]];
          defined = defined && present(item);
          count += item.i != 0 ? 1 : 0;
        }
        dst.state = defined ? value_state::present : value_state::nil;
        dst.i = in.op == sim_op::none_of ? count == 0 : count <= 1;
        continue;
      }
      case sim_op::call_func: call_func(program_.funcs[in.a]); continue;
      default: break;
    }
    if (!present(a)) {
      dst.state = value_state::nil;
      continue;
    }
    switch (in.op) {
      case sim_op::not_op: dst = int_value(a.i == 0); continue;
      case sim_op::neg_int: dst = int_value(wrapped(0 - bits(a.i))); continue;
      case sim_op::neg_real: dst = real_value(-a.r); continue;
      case sim_op::to_real: dst = real_value(static_cast<double>(a.i)); continue;
      case sim_op::to_int:
        // Truncation toward zero; a real outside the integers has no value.
        if (!(a.r >= -9223372036854775808.0 && a.r < 9223372036854775808.0))
          throw Sim_error{program_.file, program_.places[in.c],
                          "int of a real out of the integer range at step " +
                              std::to_string(step_ + 1)};
        dst = int_value(static_cast<std::int64_t>(a.r));
        continue;
      default: break;
    }
    const value& b = s[in.b];
    if (!present(b)) {
      dst.state = value_state::nil;
      continue;
    }
    switch (in.op) {
      case sim_op::and_op: dst = int_value(a.i & b.i); break;
      case sim_op::or_op: dst = int_value(a.i | b.i); break;
      case sim_op::xor_op: dst = int_value(a.i ^ b.i); break;
      case sim_op::impl_op: dst = int_value(a.i == 0 || b.i != 0); break;
      case sim_op::eq_int: dst = int_value(a.i == b.i); break;
      case sim_op::neq_int: dst = int_value(a.i != b.i); break;
      case sim_op::lt_int: dst = int_value(a.i < b.i); break;
      case sim_op::lte_int: dst = int_value(a.i <= b.i); break;
      case sim_op::gt_int: dst = int_value(a.i > b.i); break;
      case sim_op::gte_int: dst = int_value(a.i >= b.i); break;
      case sim_op::eq_real: dst = int_value(a.r == b.r); break;
      case sim_op::neq_real: dst = int_value(a.r != b.r); break;
      case sim_op::lt_real: dst = int_value(a.r < b.r); break;
      case sim_op::lte_real: dst = int_value(a.r <= b.r); break;
      case sim_op::gt_real: dst = int_value(a.r > b.r); break;
      case sim_op::gte_real: dst = int_value(a.r >= b.r); break;
      case sim_op::add_int: dst = int_value(wrapped(bits(a.i) + bits(b.i))); break;
      case sim_op::sub_int: dst = int_value(wrapped(bits(a.i) - bits(b.i))); break;
      case sim_op::mul_int: dst = int_value(wrapped(bits(a.i) * bits(b.i))); break;
      // Truncating toward zero; the smallest integer divided by -1 wraps
      // around to itself, and the remainder then is 0.
      case sim_op::div_int:
        if (b.i == 0) division_by_zero(in);
        dst = int_value(b.i == -1 ? wrapped(0 - bits(a.i)) : a.i / b.i);
        break;
      case sim_op::mod_int:
        if (b.i == 0) division_by_zero(in);
        dst = int_value(b.i == -1 ? 0 : a.i % b.i);
        break;
      case sim_op::add_real: dst = real_value(a.r + b.r); break;
      case sim_op::sub_real: dst = real_value(a.r - b.r); break;
      case sim_op::mul_real: dst = real_value(a.r * b.r); break;
      case sim_op::div_real: dst = real_value(a.r / b.r); break;
      default: break;
    }
  }
}

void sim_machine::step() {
  run(program_.code);
  value* s = slots_.data();
  for (const sim_update& update : program_.updates)
    if (active(update.clock)) s[update.memory] = s[update.source];
  ++step_;
}

value uninterpreted_value(std::string_view function, std::size_t position,
                          const scalar_type& type, const std::vector<value>& arguments) {
  // FNV-1a over the name, the position and the arguments' bits, then mixed.
  std::uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](std::uint64_t word) {
    for (int byte = 0; byte < 8; ++byte) {
      hash ^= (word >> (8 * byte)) & 0xff;
      hash *= 1099511628211ull;
    }
  };
  for (char letter : function) mix(static_cast<unsigned char>(letter));
  mix(position);
  for (const value& argument : arguments) {
    std::uint64_t word;
    std::memcpy(&word, &argument, sizeof word);
    mix(word);
  }
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
