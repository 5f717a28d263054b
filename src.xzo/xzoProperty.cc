#include "xzoProperty.h"

#include "lexeme.h"
#include "xzoDecls.h"
#include "xzoLexer.h"

std::optional<std::string_view> property_text(std::string_view annotation) {
  if (!annotation.starts_with(property_mark)) return std::nullopt;
  std::string_view rest = annotation.substr(property_mark.size());
  std::size_t end = rest.find(';');
  if (end == std::string_view::npos) return std::nullopt;
  return rest.substr(0, end);
}

text_origin property_origin(pragma annotation) {
  lexeme position = position_of(annotation);
  return {position.line, position.cstart + static_cast<int>(property_mark.size())};
}

const val_exp* read_property(std::string_view text, pragma annotation) {
  try {
    return exp_of_string(text, property_origin(annotation));
  } catch (const Syntax_error&) {
  } catch (const Lexical_error&) {
  }
  return nullptr;
}
