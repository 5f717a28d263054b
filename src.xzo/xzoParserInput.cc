// The parser's token source: the start token of the entry point, then the
// lexer's tokens with their lexemes, a batch at a time, then the parser's
// own end.
#include "xzoParser.hh"

namespace {

// The parser knows the lexer's tokens in the order of their kinds.
constexpr int first_token_code = YY_TK_EOF;
#define TOKEN(name, description) \
  static_assert(YY_TK_##name - first_token_code == TK_##name);
#define PUNCT(name, text) TOKEN(name, text)
#define KEYWORD(name, text) TOKEN(name, text)
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD

}  // namespace

int yylex(parse_value* value, parse_context& context) {
  token_batch& batch = context.batch;
  if (batch.next == batch.count) [[unlikely]] {
    if (!context.started) {
      context.started = true;
      value->token = nullptr;
      return context.entry == entry_point::file ? YY_START_FILE : YY_START_EXP;
    }
    // The grammar reads TK_EOF itself, so that each entry point says where
    // the input must end; the parser then asks once more for its own end.
    if (context.ended) return YY_YYEOF;
    lex_batch(context.buffer, batch);
    context.ended = batch.kinds[0] == TK_EOF;
  }
  value->token = &batch.positions[batch.next];
  return first_token_code + batch.kinds[batch.next++];
}
