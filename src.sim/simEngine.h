// The step loop: the slots of a compiled node, set to their first values,
// then each step the inputs written, the code run and the memories updated.
#pragma once

#include <cstdint>
#include <vector>

#include "simProgram.h"

class sim_machine {
 public:
  /// A machine at its first step; runs the program's constant code, which
  /// fails as `step` does.
  explicit sim_machine(const sim_program& program);
  // Its code holds the addresses of its own slots.
  sim_machine(const sim_machine&) = delete;
  sim_machine& operator=(const sim_machine&) = delete;

  /// Sets the value of a slot, an input's before a step.
  void set(std::uint32_t slot, const value& v) { slots_[slot] = v; }
  const value& get(std::uint32_t slot) const { return slots_[slot]; }
  /// Whether the slot of a clock is present and true; `always` is.
  bool active(std::uint32_t clock) const {
    if (clock == always) return true;
    const value& on = slots_[clock];
    return on.state == value_state::present && on.i != 0;
  }

  /// Computes one step; fails with the `Sim_error` of a division by zero.
  void step();
  /// The number of the step that `step` computes next, from 1.
  std::uint64_t next_step() const { return step_ + 1; }

 private:
  // An instruction as the step loop runs it: the address of the code that
  // computes it, and its operands, each a slot's address or a count or
  // position in the program's tables as its operation says. A `clock_block`
  // is followed by the `b` instructions on its clock `a`; where the clock is
  // false they are skipped, and the `dst` slots listed from `absent_[c]`
  // made absent. An `update_block` is followed by the `b` memory updates on
  // its clock `a`.
  union operand {
    value* slot;
    std::uint64_t n;
  };
  struct bound_instr {
    const void* handler;
    operand dst, a, b, c;
  };
  // The results of a function call, each with the hash of the function's
  // name and the result's position, which every call starts from.
  struct bound_call {
    const sim_func_call* call;
    std::vector<std::uint64_t> seeds;
  };
  std::vector<bound_instr> bound(const std::vector<sim_instr>& code, bool with_updates);
  // Runs the code up to its `end`; given none, gives the handlers'
  // addresses, in the order of `sim_op`.
  const void* const* run(const bound_instr* code);
  void true_operands(const bound_instr& list, value& count) const;
  [[noreturn]] void division_by_zero(std::uint32_t place) const;
  [[noreturn]] void int_out_of_range(std::uint32_t place) const;
  void call_func(const bound_call& call);

  const sim_program& program_;
  std::vector<value> slots_;
  std::vector<value*> absent_;
  std::vector<bound_call> calls_;
  std::vector<bound_instr> code_;
  std::uint64_t step_ = 0;
};

/// The hash of a function's name that its calls start from.
std::uint64_t function_name_hash(std::string_view function);

/// The hash of a function's name mixed with a result's position, which the
/// hash of that result's arguments starts from.
std::uint64_t function_result_hash(std::uint64_t name_hash, std::size_t position);

/// The fixed value that a function without body gives for those arguments,
/// as result `position` of type `type`: a hash of them, the same in every run.
value uninterpreted_value(std::string_view function, std::size_t position,
                          const scalar_type& type, const std::vector<value>& arguments);
