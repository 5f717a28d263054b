// Where the inputs of each step come from: the rows of a CSV file read as
// they are needed, or values drawn from a seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simEngine.h"

/// The rows of a CSV text of inputs: a header naming the node's inputs in any
/// order, then one row a step; blank lines and lines starting with "#" are
/// skipped.
class csv_inputs {
 public:
  /// Reads the header from `fd`, shown as `name` in messages; fails with
  /// `Sim_error` when it does not name each input exactly once.
  csv_inputs(int fd, std::string name, const sim_program& program);

  /// Gives the machine the inputs of the next row; false at the end of the
  /// text. Fails with `Sim_error` naming the row and column of a wrong value,
  /// or of a const input whose value differs from the first row's.
  bool next(sim_machine& machine);

 private:
  bool next_line(std::string& line);
  [[noreturn]] void fail(const std::string& message) const;

  int fd_;
  std::string name_;
  const sim_program& program_;
  // The input column of each CSV column.
  std::vector<std::size_t> columns_;
  std::vector<bool> input_slot_;
  std::string buffer_;
  std::size_t start_ = 0;
  bool ended_ = false;
  std::uint64_t line_ = 0;
  std::vector<std::string> names_;
  // The line of the first row, and the value it gives each CSV column;
  // line 0 before it is read.
  std::uint64_t first_row_line_ = 0;
  std::vector<value> first_row_;
};

/// Inputs drawn from a seed: integers and reals from -100 to 100, Booleans at
/// even odds, enumeration constants evenly, a clocked input present exactly
/// when its clock is true, a const input drawn at the first step and kept.
class random_inputs {
 public:
  random_inputs(std::uint64_t seed, const sim_program& program, bool uninterpreted);
  void next(sim_machine& machine);
  /// A value of the type drawn by the same rules.
  value draw_value(const scalar_type& type);

 private:
  std::uint64_t draw();

  std::uint64_t state_;
  const sim_program& program_;
  // The input columns in an order where an input's clock comes before it.
  std::vector<std::size_t> order_;
  // The values of the const inputs, by input column, once drawn.
  std::vector<value> kept_;
  bool first_step_ = true;
};
