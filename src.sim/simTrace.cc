#include "simTrace.h"

#include <cerrno>
#include <cstring>

#include "output.h"

namespace {

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char letter : text) {
    if (letter == '"') quoted += '"';
    quoted += letter;
  }
  return quoted + "\"";
}

}  // namespace

csv_trace::csv_trace(const trace_columns& columns) : columns_(columns) {
  std::string header = "step";
  for (const sim_column& column : columns) header += "," + csv_field(column.name);
  header += '\n';
  output::write_any(header);
}

void csv_trace::row(std::uint64_t step, const sim_machine& machine) {
  line_ = std::to_string(step);
  for (const sim_column& column : columns_) {
    line_ += ',';
    append_value(line_, column.type, machine.get(column.slot));
  }
  line_ += '\n';
  output::write_any(line_);
}

vcd_trace::vcd_trace(const std::string& path, const std::string& scope,
                     const trace_columns& columns)
    : path_(path), columns_(columns) {
  file_ = std::fopen(path.c_str(), "w");
  if (file_ == nullptr)
    throw Sim_error{"", {}, "zosim: " + path + ": " + std::strerror(errno)};
  text_ =
      "$version zosim 1.0 $end\n$timescale 1 s $end\n$scope module " + scope + " $end\n";
  for (std::size_t at = 0; at < columns.size(); ++at) {
    // Identifier codes in printable ASCII, from '!' to '~', as many as needed.
    std::string code;
    std::size_t n = at;
    do {
      code += static_cast<char>('!' + n % 94);
      n /= 94;
    } while (n > 0);
    codes_.push_back(code);
    const sim_column& column = columns[at];
    std::string kind = column.type.kind == scalar_kind::boolean ? "wire 1"
                       : column.type.kind == scalar_kind::real  ? "real 64"
                                                                : "integer 64";
    text_ += "$var " + kind + " " + code + " " + column.name + " $end\n";
  }
  text_ += "$upscope $end\n$enddefinitions $end\n";
  last_.assign(columns.size(), absent_value());
}

vcd_trace::~vcd_trace() {
  if (file_ != nullptr) std::fclose(file_);
}

void vcd_trace::row(std::uint64_t step, const sim_machine& machine) {
  text_ += "#" + std::to_string(step) + "\n";
  for (std::size_t at = 0; at < columns_.size(); ++at) {
    const sim_column& column = columns_[at];
    const value& now = machine.get(column.slot);
    value& before = last_[at];
    if (!first_ && now.state == before.state &&
        (now.state != value_state::present || std::memcmp(&now.i, &before.i, 8) == 0))
      continue;
    before = now;
    // Nil is the unknown value "x", absent the floating one "z"; a real
    // has neither, and keeps its last value.
    if (column.type.kind == scalar_kind::boolean) {
      text_ += now.state == value_state::present ? (now.i != 0 ? "1" : "0")
               : now.state == value_state::nil   ? "x"
                                                 : "z";
    } else if (column.type.kind == scalar_kind::real) {
      if (now.state != value_state::present) continue;
      char digits[64];
      std::snprintf(digits, sizeof digits, "r%.17g ", now.r);
      text_ += digits;
    } else if (now.state != value_state::present) {
      text_ += now.state == value_state::nil ? "bx " : "bz ";
    } else {
      auto bits = static_cast<std::uint64_t>(now.i);
      std::string binary;
      do {
        binary += static_cast<char>('0' + (bits & 1));
        bits >>= 1;
      } while (bits != 0);
      text_ += "b" + std::string(binary.rbegin(), binary.rend()) + " ";
    }
    text_ += codes_[at] + "\n";
  }
  first_ = false;
  if (text_.size() >= (1 << 16)) {
    if (std::fwrite(text_.data(), 1, text_.size(), file_) != text_.size())
      throw Sim_error{"", {}, "zosim: " + path_ + ": " + std::strerror(errno)};
    text_.clear();
  }
}

void vcd_trace::close() {
  if (file_ == nullptr) return;
  bool written = std::fwrite(text_.data(), 1, text_.size(), file_) == text_.size();
  text_.clear();
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  if (!written) throw Sim_error{"", {}, "zosim: " + path_ + ": " + std::strerror(errno)};
}
