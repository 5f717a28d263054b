// The values a simulated program computes: one scalar per slot (a Boolean, a
// 64-bit integer, a double, an enumeration constant's position or a value of
// an external type), each present, not yet defined (nil) or absent at a step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xzoAst.h"

enum class value_state : std::uint8_t { present, nil, absent };

/// One scalar. Booleans hold 0 or 1 and enumeration constants their position
/// in `i`; reals are in `r`.
struct value {
  union {
    std::int64_t i;
    double r;
  };
  value_state state;
};

inline value int_value(std::int64_t n) {
  value v;
  v.i = n;
  v.state = value_state::present;
  return v;
}
inline value real_value(double x) {
  value v;
  v.r = x;
  v.state = value_state::present;
  return v;
}
inline value nil_value() {
  value v;
  v.i = 0;
  v.state = value_state::nil;
  return v;
}
inline value absent_value() {
  value v;
  v.i = 0;
  v.state = value_state::absent;
  return v;
}

enum class scalar_kind : std::uint8_t { boolean, integer, real, enumeration, external };

/// The type of one scalar: for an enumeration or external type, its
/// declaration.
struct scalar_type {
  scalar_kind kind;
  const type_def* named = nullptr;

  bool operator==(const scalar_type& other) const {
    return kind == other.kind && (named == nullptr || other.named == nullptr ||
                                  named->name->text() == other.named->name->text());
  }
};

/// The text a trace shows for the value: "true"/"false", the integer in
/// decimal, the shortest text that reads back to the same double, the
/// constant's name, "_" when absent and "nil" when not yet defined.
std::string shown_value(const scalar_type& type, const value& v);

/// Appends that text to `out`.
void append_value(std::string& out, const scalar_type& type, const value& v);

/// The value a text of an input gives, "_" aside: Booleans "true"/"false",
/// "t"/"f", "1"/"0"; integers in decimal; reals in any C notation;
/// enumeration constants by name. None when the text is not one.
std::optional<value> parse_value(const scalar_type& type, std::string_view text);

/// "bool", "int", "real" or the declared type's name, for messages.
std::string type_name(const scalar_type& type);

/// Whether the two values are the same: both absent, both nil, or both
/// present and equal (reals within the relative `tolerance`, exactly at 0).
bool same_value(const scalar_type& type, const value& a, const value& b,
                double tolerance);
