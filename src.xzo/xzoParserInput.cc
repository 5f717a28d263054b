// The parser's token source: the start token of the entry point, then the
// lexer's tokens with their lexemes, then the parser's own end.
#include "xzoParser.hh"

namespace {

// The parser knows the lexer's tokens in the order of their kinds.
constexpr int first_token_code = YY_TK_EOF;
static_assert(YY_TK_PRAGMA - first_token_code == TK_PRAGMA);
static_assert(YY_TK_IDENT - first_token_code == TK_IDENT);
static_assert(YY_TK_OF - first_token_code == TK_OF);

}  // namespace

int yylex(parse_value* value, parse_context& context) {
  if (!context.started) {
    context.started = true;
    return context.entry == entry_point::file ? YY_START_FILE : YY_START_EXP;
  }
  // The grammar reads TK_EOF itself, so that each entry point says where the
  // input must end; the parser then asks once more for its own end.
  if (context.ended) return YY_YYEOF;
  token_kind kind = lexer(context.buffer, value->token);
  context.ended = kind == TK_EOF;
  return first_token_code + kind;
}
