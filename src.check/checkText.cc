#include "checkText.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";
// JSON escapes are written in lower case.
constexpr char json_digits[] = "0123456789abcdef";

}  // namespace

// The cut falls on whole UTF-8 sequences where the name has them, so that the
// message stays as valid as the name was.
void append_quoted_name(std::string& text, std::string_view name) {
  text += '\'';
  if (name.size() <= quoted_most) {
    text.append(name);
    text += '\'';
    return;
  }
  constexpr std::size_t kept = (quoted_most - 3) / 2;
  std::size_t head = kept;
  while (head > 0 && (static_cast<unsigned char>(name[head]) & 0xC0) == 0x80) --head;
  std::size_t tail = name.size() - kept;
  while (tail < name.size() && (static_cast<unsigned char>(name[tail]) & 0xC0) == 0x80)
    ++tail;
  text.append(name.substr(0, head)).append("...").append(name.substr(tail));
  text += '\'';
}

std::string quoted_name(std::string_view name) {
  std::string text;
  append_quoted_name(text, name);
  return text;
}

std::string hex_byte(unsigned char byte) {
  return {'0', 'x', hex_digits[byte >> 4], hex_digits[byte & 15]};
}

std::size_t utf8_length_at(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t offset) {
    return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0u;
  };
  unsigned first = byte(0);
  if (at >= text.size()) return 0;
  if (first < 0x80) return 1;
  std::size_t length;
  // The range of the second byte excludes the overlong forms, the
  // surrogates and what lies past U+10FFFF.
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t offset = 2; offset < length; ++offset)
    if ((byte(offset) & 0xC0) != 0x80) return 0;
  return length;
}

std::string shown_line(std::string_view line) {
  std::string shown;
  shown.reserve(line.size());
  for (std::size_t at = 0; at < line.size();) {
    auto byte = static_cast<unsigned char>(line[at]);
    std::size_t length =
        byte == '\t' || (byte >= 0x20 && byte != 0x7f) ? utf8_length_at(line, at) : 0;
    if (length == 0) {
      shown += '?';
      ++at;
      continue;
    }
    shown.append(line.substr(at, length));
    at += length;
  }
  return shown;
}

std::string json_string(std::string_view text) {
  std::string quoted_text = "\"";
  quoted_text.reserve(text.size() + 2);
  for (std::size_t at = 0; at < text.size();) {
    auto byte = static_cast<unsigned char>(text[at]);
    if (byte == '"' || byte == '\\') {
      quoted_text += '\\';
      quoted_text += static_cast<char>(byte);
      ++at;
      continue;
    }
    std::size_t length = byte < 0x20 ? 0 : utf8_length_at(text, at);
    if (length == 0) {
      quoted_text += "\\u00";
      quoted_text += json_digits[byte >> 4];
      quoted_text += json_digits[byte & 15];
      ++at;
      continue;
    }
    quoted_text.append(text.substr(at, length));
    at += length;
  }
  return quoted_text + '"';
}
