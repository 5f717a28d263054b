#include "checkStop.h"

#include <string>

#include "checkText.h"

namespace {

// The token's text with its control bytes written as \xHH, for a message.
std::string shown_token(std::string_view text) {
  static const char hex[] = "0123456789abcdef";
  std::string shown;
  for (char byte : text.substr(0, 2 * quoted_most)) {
    auto code = static_cast<unsigned char>(byte);
    if (code >= 0x20 && code != 0x7f) {
      shown += byte;
      continue;
    }
    shown += "\\x";
    shown += hex[code >> 4];
    shown += hex[code & 15];
  }
  if (text.size() > 2 * quoted_most) shown.append(text.substr(text.size() - quoted_most));
  return quoted_name(shown);
}

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool starts_with_byte_order_mark(source_lines& lines) {
  bool more = false;
  return lines.line_part(1, 1, byte_order_mark.size(), more) == byte_order_mark;
}

// The statement end, ';' or 'tel', that the parser could read before the
// token it stopped at, when only one of them could be.
const char* missing_end(const syntax_expectations& expected) {
  bool semicolon = expected.before_stop[TK_SEMICOL];
  bool tel = expected.before_stop[TK_TEL];
  if (semicolon == tel) return nullptr;
  return semicolon ? "';'" : "'tel'";
}

// A keyword where the parser wants a name and not an expression: a keyword
// in an expression is more likely a missing operand than a name.
bool keyword_for_name(const lexeme& at, const syntax_expectations& expected) {
  return is_keyword(at.str) && expected.expected[TK_IDENT] &&
         !expected.expected[TK_ICONST];
}

// Whether nothing but blanks stands before the token on its line.
bool starts_its_line(const lexeme& at, source_lines& lines) {
  if (at.cstart <= 1) return true;
  bool more = false;
  std::string_view before =
      lines.line_part(at.line, 1, static_cast<std::size_t>(at.cstart - 1), more);
  return before.find_first_not_of(" \t\r\f\v") == std::string_view::npos;
}

// A missing end is certain when it fits and the token cannot be the operand
// of a missing operator: it is a keyword, or it starts its line, as the next
// statement does.
const char* certain_missing_end(const lexeme& at, const syntax_expectations& expected,
                                source_lines& lines) {
  const char* end = missing_end(expected);
  if (end == nullptr) return nullptr;
  if (is_keyword(at.str) || starts_its_line(at, lines)) return end;
  return nullptr;
}

}  // namespace

void report_syntax_stop(diagnostics& found, const lexeme& at,
                        const syntax_expectations& expected, source_lines& lines) {
  text_span place{at.line, at.cstart, at.line, at.cend};
  std::string sentence;
  if (expected.stopped == TK_EOF) {
    // The text ended: the place is just after its last token.
    place = {at.line, at.cend + 1, at.line, at.cend + 1};
    const char* end = missing_end(expected);
    sentence = end ? std::string("expected ") + end + " at the end of the file"
                   : "the file ends in the middle of a declaration";
  } else if (at.str.size() == 1 && static_cast<unsigned char>(at.str[0]) >= 0x80) {
    if (at.line == 1 && at.cstart == 1 && starts_with_byte_order_mark(lines)) {
      place.cend = static_cast<int>(byte_order_mark.size());
      sentence = "the file starts with a UTF-8 byte-order mark; save it without one";
    } else {
      sentence = "identifiers and operators are ASCII; found byte " +
                 hex_byte(static_cast<unsigned char>(at.str[0]));
    }
  } else if (const char* end = certain_missing_end(at, expected, lines)) {
    sentence = std::string("expected ") + end + " before " + shown_token(at.str);
  } else if (keyword_for_name(at, expected)) {
    sentence = quoted_name(at.str) + " is a reserved word";
  } else {
    sentence = "syntax error at " + shown_token(at.str);
  }
  found.error(place, "syntax", sentence + "; the file is not checked past this point");
}
