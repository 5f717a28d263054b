#include "checkPrecedence.h"

#include <optional>
#include <string>

namespace {

bool binds_looser_than_logic(const val_exp* e) {
  return e != nullptr && (e->kind() == nat_eq || e->kind() == nat_neq);
}

const char* symbol_of(exp_kind kind) {
  switch (kind) {
    case nat_and: return "and";
    case nat_or: return "or";
    case nat_xor: return "xor";
    case nat_eq: return "=";
    default: return "<>";
  }
}

// The net count of opening parentheses in the text.
int open_parentheses(std::string_view text) {
  int count = 0;
  for (char byte : text) count += byte == '(' ? 1 : byte == ')' ? -1 : 0;
  return count;
}

// A grouping is written out when it stays short on one line.
constexpr int longest_grouping = 120;

// The grouping meant: what joins the logic operator's first operand from the
// left (from `from_left`, when one does) parenthesised with it, and its
// second operand with what joins it from the right (up to `to_right`).
// Empty when the source does not show it on one line; none when it shows the
// logic operator already parenthesised, which is then no mistake.
std::optional<std::string> grouping(const reading_places& places, source_lines& lines,
                                    const val_exp* logic, const val_exp* from_left,
                                    const val_exp* to_right) {
  text_span first = span_of(places, logic->op(0));
  text_span second = span_of(places, logic->op(1));
  text_span left = from_left ? span_of(places, from_left) : first;
  text_span right = to_right ? span_of(places, to_right) : second;
  int line = first.line;
  for (const text_span& span : {first, second, left, right})
    if (span.line != line || span.end_line != line || span.line == 0)
      return std::string();
  if (right.cend - left.cstart + 1 > longest_grouping || left.cstart < 1)
    return std::string();
  bool more = false;
  std::string text(lines.line_part(
      line, left.cstart, static_cast<std::size_t>(right.cend - left.cstart + 1), more));
  auto at = [&](int column) { return static_cast<std::size_t>(column - left.cstart); };
  if (text.size() != at(right.cend) + 1) return std::string();
  if (from_left && open_parentheses(text.substr(at(left.cend) + 1,
                                                at(second.cend) - at(left.cend))) > 0)
    return std::nullopt;
  if (to_right && open_parentheses(text.substr(at(first.cstart),
                                               at(right.cstart) - at(first.cstart))) < 0)
    return std::nullopt;
  std::string first_group = text.substr(0, at(first.cend) + 1);
  std::string second_group = text.substr(at(second.cstart));
  // A group that starts or ends inside parentheses of the source is not
  // what its places show: the grouping is not written out.
  if (open_parentheses(first_group) != 0 || open_parentheses(second_group) != 0)
    return std::string();
  if (from_left) first_group = "(" + first_group + ")";
  if (to_right) second_group = "(" + second_group + ")";
  return first_group +
         text.substr(at(first.cend) + 1, at(second.cstart) - at(first.cend) - 1) +
         second_group;
}

}  // namespace

void note_precedence_trap(diagnostic& d, const val_exp* logic, const val_exp* parent,
                          const val_exp* grandparent, const reading_places& places,
                          source_lines* lines) {
  if (!binds_looser_than_logic(parent)) return;
  // "L = a and b": the comparison meant L = a. "a and b = R": it meant
  // b = R, and with "L = a and b = R" both.
  const val_exp* from_left = nullptr;
  const val_exp* to_right = nullptr;
  const val_exp* joined = parent;
  if (parent->op(1) == logic) {
    from_left = parent->op(0);
  } else {
    to_right = parent->op(1);
    if (binds_looser_than_logic(grandparent) && grandparent->op(1) == parent) {
      from_left = grandparent->op(0);
      joined = grandparent;
    }
  }
  std::string message = std::string("'") + symbol_of(joined->kind()) +
                        "' binds looser than '" + symbol_of(logic->kind()) + "'";
  if (lines != nullptr) {
    std::optional<std::string> meant =
        grouping(places, *lines, logic, from_left, to_right);
    if (!meant) return;
    if (!meant->empty()) message += ": write " + *meant;
  }
  d.notes.push_back({span_of(places, joined), message});
}
