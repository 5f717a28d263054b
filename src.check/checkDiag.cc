#include "checkDiag.h"

#include <algorithm>

#include "checkText.h"
#include "output.h"

namespace {

// Source order; a diagnostic without place has none.
std::pair<int, int> key(const diagnostic& d) { return {d.place.line, d.place.cstart}; }

}  // namespace

std::size_t diagnostics::pending_errors() const {
  std::size_t count = 0;
  for (const std::vector<diagnostic>* kept : {&found_, &placeless_})
    for (const diagnostic& d : *kept) count += d.level == severity::error ? 1 : 0;
  return count;
}

bool diagnostics::any_unplaced_since(const mark& since) const {
  if (placeless_.size() > since.placeless) return true;
  for (std::size_t at = since.found; at < found_.size(); ++at)
    for (const diagnostic_note& note : found_[at].notes)
      if (note.place.line == 0) return true;
  return false;
}

void diagnostics::forget_since(const mark& since) {
  found_.erase(found_.begin() + static_cast<std::ptrdiff_t>(since.found), found_.end());
  placeless_.erase(placeless_.begin() + static_cast<std::ptrdiff_t>(since.placeless),
                   placeless_.end());
}

void diagnostics::hold() {
  held_.insert(held_.end(), std::make_move_iterator(found_.begin()),
               std::make_move_iterator(found_.end()));
  found_.clear();
  std::stable_sort(
      held_.begin() + static_cast<std::ptrdiff_t>(next_held_), held_.end(),
      [](const diagnostic& a, const diagnostic& b) { return key(a) < key(b); });
}

// A held diagnostic was found before any in `found_`: at one place it goes
// first.
void diagnostics::flush() {
  auto before = [](const diagnostic& a, const diagnostic& b) { return key(a) < key(b); };
  if (!std::is_sorted(found_.begin(), found_.end(), before))
    std::stable_sort(found_.begin(), found_.end(), before);
  for (diagnostic& d : found_) {
    while (next_held_ < held_.size() && key(held_[next_held_]) <= key(d))
      sink_(held_[next_held_++]);
    sink_(d);
  }
  found_.clear();
  if (next_held_ == held_.size()) {
    held_.clear();
    next_held_ = 0;
  }
}

void diagnostics::finish() {
  flush();
  while (next_held_ < held_.size()) sink_(held_[next_held_++]);
  held_.clear();
  next_held_ = 0;
  for (diagnostic& d : placeless_) sink_(d);
  placeless_.clear();
}

diagnostic& diagnostics::add(const text_span& place, severity level, const char* code,
                             std::string message) {
  if (place.line == 0 && stop_at_unplaced_) throw place_wanted{};
  std::vector<diagnostic>& kept = place.line == 0 ? placeless_ : found_;
  return kept.emplace_back(diagnostic{place, level, code, std::move(message), {}});
}

namespace {

const char* name_of(severity level) {
  switch (level) {
    case severity::error: return "error";
    case severity::warning: return "warning";
    case severity::note: return "note";
  }
  return "";
}

void write_number(long value) { output::write(std::to_string(value)); }

// A line wider than this is shown cut around the place, with "..." at each
// cut end, so that a diagnostic's size does not grow with its line.
constexpr std::size_t widest_line = 160;
// What a cut line shows: the bytes from some columns before the place on.
constexpr std::size_t cut_width = widest_line - 6;
constexpr int columns_before_place = 60;

bool continues_sequence(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The bytes a UTF-8 sequence takes, from its first byte; 1 for any other byte.
std::size_t sequence_length(char byte) {
  auto code = static_cast<unsigned char>(byte);
  if (code >= 0xF0) return 4;
  if (code >= 0xE0) return 3;
  return code >= 0xC0 ? 2 : 1;
}

// The part of a cut line, on whole UTF-8 sequences: the continuation bytes
// that start it and the sequence cut short that ends it are left out, the
// first column moving past the bytes dropped at the start.
std::string_view whole_sequences(std::string_view part, int& first_column,
                                 bool cut_after) {
  std::size_t dropped = 0;
  if (first_column > 1)
    while (dropped < 3 && dropped < part.size() && continues_sequence(part[dropped]))
      ++dropped;
  first_column += static_cast<int>(dropped);
  part.remove_prefix(dropped);
  if (cut_after) {
    std::size_t lead = part.size();
    while (lead > 0 && part.size() - lead < 3 && continues_sequence(part[lead - 1]))
      --lead;
    if (lead > 0 && sequence_length(part[lead - 1]) > part.size() - lead + 1)
      part = part.substr(0, lead - 1);
  }
  return part;
}

// The source line, then a caret under the first column and tildes under the
// rest of the place on that line; a tab of the line stays a tab below it. A
// line wider than `widest_line` is shown from some columns before the place,
// `cut_width` bytes of it.
void print_source(source_lines& lines, const text_span& place) {
  if (place.cstart < 1) return;
  bool cut_after = false;
  std::string_view source = lines.line_part(place.line, 1, widest_line, cut_after);
  int first_column = 1;
  if (cut_after) {
    first_column = std::max(1, place.cstart - columns_before_place);
    source = lines.line_part(place.line, first_column, cut_width, cut_after);
    source = whole_sequences(source, first_column, cut_after);
  }
  if (source.empty()) return;
  bool cut_before = first_column > 1;
  std::string shown;
  if (cut_before) shown += "...";
  shown += shown_line(source);
  if (cut_after) shown += "...";
  shown += '\n';
  output::write(shown);
  auto first = static_cast<std::size_t>(place.cstart - first_column);
  std::size_t last =
      place.end_line > place.line
          ? source.size()
          : static_cast<std::size_t>(std::max(place.cend - first_column + 1, 0));
  last = std::max(std::min(last, source.size()), first + 1);
  std::string marks;
  if (cut_before) marks += "   ";
  for (std::size_t column = 0; column < first; ++column)
    marks += column < source.size() && source[column] == '\t' ? '\t' : ' ';
  marks += '^';
  marks.append(last - first - 1, '~');
  marks += '\n';
  output::write(marks);
}

void print_header(std::string_view file, const text_span& place, severity level,
                  std::string_view message) {
  output::write(file);
  output::write(":");
  if (place.line > 0) {
    write_number(place.line);
    output::write(":");
    write_number(place.cstart);
    output::write(":");
  }
  output::write(" ");
  output::write(name_of(level));
  output::write(": ");
  output::write(message);
}

void print_json_object(std::string_view file, const text_span& place, severity level,
                       std::string_view message, const char* code) {
  output::write("{\"file\": ");
  output::write(json_string(file));
  output::write(", \"line\": ");
  write_number(place.line);
  output::write(", \"column\": ");
  write_number(place.cstart);
  output::write(", \"end_column\": ");
  write_number(place.end_line > place.line ? 0 : place.cend);
  output::write(", \"severity\": \"");
  output::write(name_of(level));
  output::write("\", \"message\": ");
  output::write(json_string(message));
  output::write(", \"code\": ");
  output::write(json_string(code));
  output::write("}\n");
}

}  // namespace

void print_text(std::string_view file, source_lines& lines, const diagnostic& d) {
  print_header(file, d.place, d.level, d.message);
  output::write(" [");
  output::write(d.code);
  output::write("]\n");
  print_source(lines, d.place);
  for (const diagnostic_note& note : d.notes) {
    print_header(file, note.place, severity::note, note.message);
    output::write("\n");
    print_source(lines, note.place);
  }
}

void print_json(std::string_view file, const diagnostic& d) {
  print_json_object(file, d.place, d.level, d.message, d.code);
  for (const diagnostic_note& note : d.notes)
    print_json_object(file, note.place, severity::note, note.message, d.code);
}

std::string count_line(std::size_t errors, std::size_t warnings) {
  auto counted = [](std::size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
  };
  std::string line;
  if (errors > 0) line = counted(errors, "error");
  if (warnings > 0) line += (line.empty() ? "" : ", ") + counted(warnings, "warning");
  return line + " generated.";
}
