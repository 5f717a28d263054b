// The trace of a run: a CSV row a step on standard output, and optionally
// the same flows as a Value Change Dump for waveform viewers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "simEngine.h"

/// The columns a trace prints: a name, a slot and a scalar type each.
using trace_columns = std::vector<sim_column>;

/// Writes the CSV header, then a row a step, through the buffered standard
/// output.
class csv_trace {
 public:
  explicit csv_trace(const trace_columns& columns);
  void row(std::uint64_t step, const sim_machine& machine);

 private:
  const trace_columns& columns_;
  std::string line_;
};

/// Writes a Value Change Dump: each column a signal, a time a step, only the
/// values that change written.
class vcd_trace {
 public:
  /// Opens the file and writes the declarations; fails with `Sim_error`.
  vcd_trace(const std::string& path, const std::string& scope,
            const trace_columns& columns);
  ~vcd_trace();
  vcd_trace(const vcd_trace&) = delete;
  vcd_trace& operator=(const vcd_trace&) = delete;

  void row(std::uint64_t step, const sim_machine& machine);
  /// Writes out what is buffered; fails with `Sim_error`.
  void close();

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  const trace_columns& columns_;
  std::vector<std::string> codes_;
  std::vector<value> last_;
  bool first_ = true;
  std::string text_;
};
