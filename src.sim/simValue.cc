#include "simValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

void append_value(std::string& out, const scalar_type& type, const value& v) {
  if (v.state == value_state::absent) {
    out += '_';
    return;
  }
  if (v.state == value_state::nil) {
    out += "nil";
    return;
  }
  char digits[64];
  switch (type.kind) {
    case scalar_kind::boolean: out += v.i != 0 ? "true" : "false"; return;
    case scalar_kind::enumeration:
      if (type.named != nullptr && v.i >= 0 &&
          static_cast<std::size_t>(v.i) < type.named->constants.size()) {
        out += type.named->constants[static_cast<std::size_t>(v.i)]->text();
        return;
      }
      break;
    case scalar_kind::real: {
      auto written = std::to_chars(digits, digits + sizeof digits, v.r);
      out.append(digits, written.ptr);
      return;
    }
    case scalar_kind::integer:
    case scalar_kind::external: break;
  }
  auto written = std::to_chars(digits, digits + sizeof digits, v.i);
  out.append(digits, written.ptr);
}

std::string shown_value(const scalar_type& type, const value& v) {
  std::string text;
  append_value(text, type, v);
  return text;
}

namespace {

std::optional<value> parse_integer(std::string_view text) {
  std::int64_t n = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, n);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return int_value(n);
}

// Any notation strtod reads, the whole text consumed.
std::optional<value> parse_real(std::string_view text) {
  if (text.empty() || text.front() == ' ' || text.front() == '\t') return std::nullopt;
  std::string copy(text);
  char* end = nullptr;
  double x = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return std::nullopt;
  return real_value(x);
}

}  // namespace

std::optional<value> parse_value(const scalar_type& type, std::string_view text) {
  switch (type.kind) {
    case scalar_kind::boolean:
      if (text == "true" || text == "t" || text == "1") return int_value(1);
      if (text == "false" || text == "f" || text == "0") return int_value(0);
      return std::nullopt;
    case scalar_kind::integer:
    case scalar_kind::external: return parse_integer(text);
    case scalar_kind::real: return parse_real(text);
    case scalar_kind::enumeration:
      for (std::size_t at = 0; at < type.named->constants.size(); ++at)
        if (type.named->constants[at]->text() == text)
          return int_value(static_cast<std::int64_t>(at));
      return std::nullopt;
  }
  return std::nullopt;
}

std::string type_name(const scalar_type& type) {
  switch (type.kind) {
    case scalar_kind::boolean: return "bool";
    case scalar_kind::integer: return "int";
    case scalar_kind::real: return "real";
    case scalar_kind::enumeration:
    case scalar_kind::external: return std::string(type.named->name->text());
  }
  return "";
}

bool same_value(const scalar_type& type, const value& a, const value& b,
                double tolerance) {
  if (a.state != b.state) return false;
  if (a.state != value_state::present) return true;
  if (type.kind != scalar_kind::real) return a.i == b.i;
  if (a.r == b.r || (std::isnan(a.r) && std::isnan(b.r))) return true;
  if (tolerance <= 0) return false;
  return std::fabs(a.r - b.r) <= tolerance * std::fmax(std::fabs(a.r), std::fabs(b.r));
}
