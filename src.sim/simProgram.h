// A node compiled for simulation: flat code over an array of scalar slots,
// the memory updates that end each step, and the columns through which the
// driver gives inputs and reads flows, assertions and properties.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simValue.h"
#include "xzoPlaces.h"

/// A failure of the simulated program, of its inputs or of the command, with
/// the file and place it concerns (no file: the program's own message; line
/// 0: no place in the file).
struct Sim_error {
  std::string file;
  text_span place;
  std::string message;
};

/// What one instruction computes. The operands are slot numbers: `dst` the
/// result, `a`, `b`, `c` the operands as each code says.
enum class sim_op : std::uint8_t {
  copy,     // dst = a
  not_op,   // dst = not a
  neg_int,  // dst = - a
  neg_real,
  to_real,  // dst = real a
  to_int,   // dst = int a, truncated toward zero
  and_op,   // dst = a and b
  or_op,
  xor_op,
  impl_op,
  eq_int,  // integers, Booleans, enumeration and external values
  neq_int,
  lt_int,
  lte_int,
  gt_int,
  gte_int,
  eq_real,
  neq_real,
  lt_real,
  lte_real,
  gt_real,
  gte_real,
  add_int,
  sub_int,
  mul_int,
  div_int,  // c: the place of the division in `places`
  mod_int,
  add_real,
  sub_real,
  mul_real,
  div_real,
  if_op,        // dst = if a then b else c
  arrow,        // dst = if c (the first-step flag) then a else b
  current,      // b is the memory: b = a when a is present; dst = b
  at_most_one,  // dst = at most one of the b slots listed from `lists[a]` true
  none_of,      // dst = none of them true
  call_func,    // a: the function call in `funcs`
  // The machine's own, made when it loads a program: the instructions that
  // follow run on one clock; the memory updates that follow run on one
  // clock; the end of the code.
  clock_block,
  update_block,
  end,
};

/// Computed only at the steps where the slot `clock` is present and true;
/// the result is absent at the others. `always` runs at every step.
inline constexpr std::uint32_t always = UINT32_MAX;

struct sim_instr {
  sim_op op;
  std::uint32_t clock;
  std::uint32_t dst, a, b, c;
};

/// At the end of every step where `clock` is true: `memory` = `source`.
struct sim_update {
  std::uint32_t clock;
  std::uint32_t memory;
  std::uint32_t source;
};

/// A call of a function without body, given a value by its name and
/// arguments.
struct sim_func_call {
  std::string name;
  /// `function_name_hash` of the name.
  std::uint64_t name_hash;
  std::vector<std::uint32_t> arguments;
  std::vector<std::uint32_t> results;
  std::vector<scalar_type> result_types;
};

/// One printed scalar of a flow: "x" or "x.field".
struct sim_column {
  std::string name;
  std::uint32_t slot;
  scalar_type type;
  /// The slot of the input's clock, or `always`.
  std::uint32_t clock = always;
  /// For an input: computed from an assertion `x = e` instead of given.
  bool computed = false;
  /// For an input declared `const`: the value of the first step is kept at
  /// every step.
  bool constant = false;
};

/// An assertion or a property: its Boolean slot and where it is written.
struct sim_check {
  std::string name;
  std::uint32_t slot;
  text_span place;
};

struct sim_program {
  std::string file;
  std::string node_name;
  /// Run once before the first step: the constants of the package.
  std::vector<sim_instr> init;
  std::vector<sim_instr> code;
  std::vector<sim_update> updates;
  /// Every slot's value before the first step: literals, nil memories.
  std::vector<value> initial;
  std::vector<std::uint32_t> lists;
  std::vector<sim_func_call> funcs;
  std::vector<text_span> places;

  std::vector<sim_column> inputs;
  std::vector<sim_column> outputs;
  std::vector<sim_column> locals;
  std::vector<sim_check> asserts;
  std::vector<sim_check> properties;
};
