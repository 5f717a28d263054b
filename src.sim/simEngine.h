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
  // An instruction with its slots' addresses, which the step loop reads
  // without computing them; `on` is null for an instruction at every step.
  struct bound_instr {
    sim_op op;
    const value* on;
    value* dst;
    value* a;
    value* b;
    value* c;
    const sim_instr* source;
  };
  std::vector<bound_instr> bound(const std::vector<sim_instr>& code);
  void run(const std::vector<bound_instr>& code);
  [[noreturn]] void division_by_zero(const sim_instr& instr) const;
  void call_func(const sim_func_call& call);

  const sim_program& program_;
  std::vector<value> slots_;
  std::vector<bound_instr> code_;
  std::uint64_t step_ = 0;
};

/// The hash of a function's name that its calls start from.
std::uint64_t function_name_hash(std::string_view function);

/// The fixed value that a function without body gives for those arguments,
/// as result `position` of type `type`: a hash of them, the same in every run.
value uninterpreted_value(std::string_view function, std::size_t position,
                          const scalar_type& type, const std::vector<value>& arguments);
