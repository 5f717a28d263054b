// Numeric literals: the texts of integer and real values and back, each
// conversion checked by converting its result back.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "errors.h"
#include "flat_map.h"
#include "xzoAst.h"

namespace {

Global_error not_numerical(const char* function, std::string_view text) {
  std::string message = "(";
  message += function;
  message += ") \"";
  message += text;
  message += "\" is not a valid numerical notation";
  return Global_error{std::move(message)};
}

// An optional "+" is admitted as by the standard readers, but not before
// another sign.
std::string_view without_plus(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
    text.remove_prefix(1);
  return text;
}

// The real a whole text denotes, or false. A value beyond the range of a
// double reads as the standard reader gives it: an infinity, or zero.
bool read_real(std::string_view text, double& value) {
  text = without_plus(text);
  const char* end = text.data() + text.size();
  auto [stop, failure] = std::from_chars(text.data(), end, value);
  if (stop != end) return false;
  if (failure == std::errc::result_out_of_range) {
    value = std::strtod(std::string(text).c_str(), nullptr);
    return true;
  }
  return failure == std::errc();
}

// The "%E" text of the value. A finite value is written by std::to_chars,
// which gives the digits of printf faster, with a lower-case "e".
std::string percent_e(double value) {
  char text[32];
  if (!std::isfinite(value)) {
    std::snprintf(text, sizeof text, "%E", value);
    return text;
  }
  char* end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 6)
          .ptr;
  std::string written(text, end);
  written[written.find('e')] = 'E';
  return written;
}

}  // namespace

std::int64_t int_of_zoint(std::string_view text) {
  std::string_view digits = without_plus(text);
  const char* end = digits.data() + digits.size();
  std::int64_t value = 0;
  auto [stop, failure] = std::from_chars(digits.data(), end, value);
  if (failure != std::errc() || stop != end) throw not_numerical("int_of_zoint", text);
  return value;
}

// A program writes few distinct reals, each many times: the conversions
// made lately are kept, each in the one place its key hashes to, and only
// those that succeed.
template <typename Entry>
Entry& recent_entry(std::array<Entry, 64>& entries, std::uint64_t key) {
  return entries[fibonacci_slot(key, std::countr_zero(entries.size()))];
}

double float_of_zoreal(std::string_view text) {
  struct read_text {
    std::array<char, 24> text;
    std::uint8_t length = 0;  // 0 for an unused entry
    double value;
  };
  static std::array<read_text, 64> recent;
  read_text& known = recent_entry(recent, short_text_hash{}(text));
  if (known.length == text.size() &&
      std::string_view(known.text.data(), known.length) == text)
    return known.value;
  double value = 0;
  if (!read_real(text, value)) throw not_numerical("float_of_zoreal", text);
  double printed = 0;
  if (!read_real(percent_e(value), printed) || printed != value)
    throw not_numerical("float_of_zoreal", text);
  if (!text.empty() && text.size() <= known.text.size()) {
    std::copy(text.begin(), text.end(), known.text.begin());
    known.length = static_cast<std::uint8_t>(text.size());
    known.value = value;
  }
  return value;
}

std::string zoint_of_int(std::int64_t value) {
  char text[24];
  return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::optional<std::int64_t> value_of_shortest_zoint(std::string_view text) {
  std::string_view digits = text.substr(text.starts_with('-') ? 1 : 0);
  if (digits.empty() || (digits[0] == '0' && text.size() > 1)) return std::nullopt;
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, failure] = std::from_chars(text.data(), end, value);
  if (failure != std::errc() || stop != end) return std::nullopt;
  if (value == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
  return value;
}

namespace {

// How far the value read back from the text lies from the value; NaN for an
// infinite or NaN value, or for a text that reads as no value.
double distance_from_text(double value, const std::string& text) {
  double printed = 0;
  if (!read_real(text, printed)) return NAN;
  return std::fabs(value - printed);
}

// The comparison fails for a NaN distance.
bool close_enough(double difference) { return difference < 0.0001; }

}  // namespace

bool has_zoreal(double value) {
  return close_enough(distance_from_text(value, percent_e(value)));
}

std::string zoreal_of_float(double value) {
  struct printed_value {
    std::uint64_t bits;
    double difference;
    std::array<char, 24> text;
    std::uint8_t length = 0;  // 0 for an unused entry
  };
  static std::array<printed_value, 64> recent;
  auto bits = std::bit_cast<std::uint64_t>(value);
  printed_value& known = recent_entry(recent, bits);
  std::string text;
  double difference;
  if (known.length != 0 && known.bits == bits) {
    text.assign(known.text.data(), known.length);
    difference = known.difference;
  } else {
    text = percent_e(value);
    difference = distance_from_text(value, text);
    if (!close_enough(difference)) throw not_numerical("zoreal_of_float", text);
    if (text.size() <= known.text.size()) {
      std::copy(text.begin(), text.end(), known.text.begin());
      known.length = static_cast<std::uint8_t>(text.size());
      known.bits = bits;
      known.difference = difference;
    }
  }
  if (difference != 0)
    std::fprintf(stderr,
                 "Warning: round error of %E while converting internal value to \"%s\"\n",
                 difference, text.c_str());
  return text;
}
