// The texts zocheck writes whatever bytes its input holds: names quoted in
// messages at a bounded length, bytes named in hexadecimal, and JSON strings
// that are valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// The name between single quotes; a name longer than `quoted_most` bytes
/// keeps its first and last bytes around "...", so that a message does not
/// grow with the names it quotes.
std::string quoted_name(std::string_view name);
inline constexpr std::size_t quoted_most = 64;

/// Appends the name as `quoted_name` gives it.
void append_quoted_name(std::string& text, std::string_view name);

/// "0xC3": the byte in hexadecimal, upper case.
std::string hex_byte(unsigned char byte);

/// The length of the valid UTF-8 sequence that starts at `at`, or 0 when the
/// byte there starts none (a lone continuation, an overlong form, a
/// surrogate, a code point past U+10FFFF, a sequence cut short).
std::size_t utf8_length_at(std::string_view text, std::size_t at);

/// The line as it is safe to show on a terminal, one column a byte as
/// before: each control byte but the tab, and each byte outside valid UTF-8,
/// becomes '?'.
std::string shown_line(std::string_view line);

/// The text as a JSON string, quotes included: '"', '\\' and control bytes
/// escaped, valid UTF-8 kept, and each byte outside valid UTF-8 written as
/// the escape \u00XX of its value.
std::string json_string(std::string_view text);
