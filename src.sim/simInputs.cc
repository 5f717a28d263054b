#include "simInputs.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> fields_of(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = line.find(',', start);
    fields.push_back(trimmed(line.substr(start, comma - start)));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

}  // namespace

csv_inputs::csv_inputs(int fd, std::string name, const sim_program& program)
    : fd_(fd), name_(std::move(name)), program_(program) {
  input_slot_.assign(program.initial.size(), false);
  for (const sim_column& input : program.inputs) input_slot_[input.slot] = true;
  std::string header;
  if (!next_line(header)) {
    line_ = 0;
    for (const sim_column& input : program.inputs)
      if (!input.computed) fail("no header row naming the inputs");
    return;
  }
  names_ = fields_of(header);
  std::vector<bool> given(program.inputs.size(), false);
  for (std::size_t column = 0; column < names_.size(); ++column) {
    std::size_t at = 0;
    while (at < program.inputs.size() &&
           (program.inputs[at].name != names_[column] || program.inputs[at].computed))
      ++at;
    if (at == program.inputs.size())
      fail("column " + std::to_string(column + 1) + ": '" + names_[column] +
           "' is not an input of node '" + program.node_name + "'");
    if (given[at])
      fail("column " + std::to_string(column + 1) + ": input '" + names_[column] +
           "' is named twice");
    given[at] = true;
    columns_.push_back(at);
  }
  for (std::size_t at = 0; at < program.inputs.size(); ++at)
    if (!given[at] && !program.inputs[at].computed)
      fail("no column for input '" + program.inputs[at].name + "'");
}

void csv_inputs::fail(const std::string& message) const {
  throw Sim_error{
      "",
      {},
      name_ + (line_ > 0 ? ":" + std::to_string(line_) : "") + ": error: " + message};
}

// The next line that is neither blank nor a comment.
bool csv_inputs::next_line(std::string& line) {
  while (true) {
    std::size_t end = buffer_.find('\n', start_);
    while (end == std::string::npos && !ended_) {
      if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
      }
      char chunk[1 << 16];
      ssize_t got = ::read(fd_, chunk, sizeof chunk);
      if (got < 0) {
        if (errno == EINTR) continue;
        throw Sim_error{"", {}, "zosim: " + name_ + ": " + std::strerror(errno)};
      }
      if (got == 0)
        ended_ = true;
      else
        buffer_.append(chunk, static_cast<std::size_t>(got));
      end = buffer_.find('\n', start_);
    }
    if (end == std::string::npos && start_ >= buffer_.size()) return false;
    std::size_t stop = end == std::string::npos ? buffer_.size() : end;
    line.assign(buffer_, start_, stop - start_);
    start_ = end == std::string::npos ? buffer_.size() : end + 1;
    ++line_;
    std::string content = trimmed(line);
    if (!content.empty() && content[0] != '#') return true;
  }
}

bool csv_inputs::next(sim_machine& machine) {
  std::string line;
  if (!next_line(line)) return false;
  std::vector<std::string> fields = fields_of(line);
  if (fields.size() != columns_.size())
    fail(std::to_string(fields.size()) + (fields.size() == 1 ? " value" : " values") +
         " where the header names " + std::to_string(columns_.size()));
  auto where = [&](std::size_t column) {
    return "column " + std::to_string(column + 1) + " ('" + names_[column] + "'): ";
  };
  for (std::size_t column = 0; column < fields.size(); ++column) {
    const sim_column& input = program_.inputs[columns_[column]];
    if (fields[column] == "_") {
      if (input.clock == always) fail(where(column) + "'_' for an input without clock");
      machine.set(input.slot, absent_value());
      if (first_row_line_ == 0) first_row_.push_back(absent_value());
      continue;
    }
    std::optional<value> parsed = parse_value(input.type, fields[column]);
    if (!parsed)
      fail(where(column) + "'" + fields[column] + "' is not a value of type " +
           type_name(input.type));
    if (input.constant && first_row_line_ > 0 &&
        !same_value(input.type, *parsed, first_row_[column], 0))
      fail(where(column) + "the const input '" + input.name + "' changes from " +
           shown_value(input.type, first_row_[column]) + " (line " +
           std::to_string(first_row_line_) + ") to " + shown_value(input.type, *parsed));
    machine.set(input.slot, *parsed);
    if (first_row_line_ == 0) first_row_.push_back(*parsed);
  }
  if (first_row_line_ == 0) first_row_line_ = line_;
  // A clocked input is present exactly when its clock, another input, is true.
  for (std::size_t column = 0; column < fields.size(); ++column) {
    const sim_column& input = program_.inputs[columns_[column]];
    if (input.clock == always || !input_slot_[input.clock]) continue;
    bool present = machine.get(input.slot).state != value_state::absent;
    if (present && !machine.active(input.clock))
      fail(where(column) +
           "a value for an input whose clock is false at this step; "
           "write '_'");
    if (!present && machine.active(input.clock))
      fail(where(column) + "no value for an input whose clock is true at this step");
  }
  return true;
}

random_inputs::random_inputs(std::uint64_t seed, const sim_program& program,
                             bool uninterpreted)
    : state_(seed), program_(program) {
  std::vector<bool> placed(program.inputs.size(), false);
  std::vector<bool> input_slot(program.initial.size(), false);
  for (const sim_column& input : program.inputs) {
    input_slot[input.slot] = true;
    if (input.type.kind == scalar_kind::external && !uninterpreted && !input.computed)
      throw Sim_error{program.file,
                      {},
                      "input '" + input.name + "' has the external type '" +
                          type_name(input.type) +
                          "', whose values cannot be drawn: use --uninterpreted"};
  }
  std::vector<bool> drawn_slot(program.initial.size(), false);
  // Each pass places the inputs whose clock is placed already, or is no input.
  for (bool progress = true; progress;) {
    progress = false;
    for (std::size_t at = 0; at < program.inputs.size(); ++at) {
      const sim_column& input = program.inputs[at];
      if (placed[at] || input.computed) continue;
      if (input.clock != always && input_slot[input.clock] && !drawn_slot[input.clock])
        continue;
      placed[at] = true;
      drawn_slot[input.slot] = true;
      order_.push_back(at);
      progress = true;
    }
  }
}

// splitmix64: every seed gives its own sequence, the same on every machine.
std::uint64_t random_inputs::draw() {
  std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

void random_inputs::next(sim_machine& machine) {
  if (first_step_) kept_.assign(program_.inputs.size(), absent_value());
  for (std::size_t at : order_) {
    const sim_column& input = program_.inputs[at];
    if (input.constant && !first_step_) {
      machine.set(input.slot, kept_[at]);
      continue;
    }
    value drawn = machine.active(input.clock) ? draw_value(input.type) : absent_value();
    if (input.constant) kept_[at] = drawn;
    machine.set(input.slot, drawn);
  }
  first_step_ = false;
}

value random_inputs::draw_value(const scalar_type& type) {
  std::uint64_t bits = draw();
  switch (type.kind) {
    case scalar_kind::boolean: return int_value(static_cast<std::int64_t>(bits >> 63));
    case scalar_kind::integer:
      return int_value(static_cast<std::int64_t>(bits % 201) - 100);
    case scalar_kind::real:
      return real_value(
          static_cast<double>(static_cast<std::int64_t>(bits % 20001) - 10000) / 100);
    case scalar_kind::enumeration: {
      std::size_t count = type.named->constants.size();
      return int_value(count == 0 ? 0 : static_cast<std::int64_t>(bits % count));
    }
    case scalar_kind::external: break;
  }
  return int_value(0);
}
