// The property annotations of a node: an annotation whose text begins with
// "PROPERTY " holds, before its first ";", one Boolean expression that the
// node must keep true. The harness of -k2quelm, cleaning and the checker all
// read them the same way.
#pragma once

#include <optional>
#include <string_view>

#include "xzo.h"
#include "xzoAst.h"

/// The mark that begins the text of a property annotation.
inline constexpr std::string_view property_mark = "PROPERTY ";

/// The property of an annotation that begins exactly with "PROPERTY " and has
/// a ";" after it: the text between the two; none for another annotation.
std::optional<std::string_view> property_text(std::string_view annotation);

/// Where the property of the annotation begins in the file: the annotation's
/// line, past "PROPERTY ".
text_origin property_origin(pragma annotation);

/// The property `text` of the annotation read as one expression, its tokens
/// placed as they stand in the file; null when it does not read as one
/// (a syntax error, or a comment left open).
const val_exp* read_property(std::string_view text, pragma annotation);
