// The parser's token source: the start token of the entry point, then the
// lexer's tokens turned into the parser's symbols, then the parser's own end.
#include "xzoParser.hh"

using xzo::parser;

parser::symbol_type yylex(parse_context& context) {
  if (!context.started) {
    context.started = true;
    return context.entry == entry_point::file ? parser::make_START_FILE()
                                              : parser::make_START_EXP();
  }
  // The grammar reads TK_EOF itself, so that each entry point says where the
  // input must end; the parser then asks once more for its own end.
  if (context.ended) return parser::make_YYEOF();
  token next = lexer(context.buffer);
  switch (next.kind) {
    case TK_EOF: context.ended = true; return parser::make_TK_EOF();
    case TK_ERROR: return parser::make_TK_ERROR();
    case TK_AND: return parser::make_TK_AND();
    case TK_ARROW: return parser::make_TK_ARROW();
    case TK_ASSERT: return parser::make_TK_ASSERT();
    case TK_BAR: return parser::make_TK_BAR();
    case TK_BOOL: return parser::make_TK_BOOL();
    case TK_CDOTS: return parser::make_TK_CDOTS();
    case TK_CLOSE_BRACE: return parser::make_TK_CLOSE_BRACE();
    case TK_CLOSE_BRACKET: return parser::make_TK_CLOSE_BRACKET();
    case TK_CLOSE_PAR: return parser::make_TK_CLOSE_PAR();
    case TK_COLON: return parser::make_TK_COLON();
    case TK_COMA: return parser::make_TK_COMA();
    case TK_CONST: return parser::make_TK_CONST();
    case TK_CURRENT: return parser::make_TK_CURRENT();
    case TK_DIESE: return parser::make_TK_DIESE();
    case TK_DIV: return parser::make_TK_DIV();
    case TK_DOT: return parser::make_TK_DOT();
    case TK_EQ: return parser::make_TK_EQ();
    case TK_EQUA: return parser::make_TK_EQUA();
    case TK_ELSE: return parser::make_TK_ELSE();
    case TK_ENUM: return parser::make_TK_ENUM();
    case TK_FALSE: return parser::make_TK_FALSE();
    case TK_FIELD: return parser::make_TK_FIELD();
    case TK_FUNCTION: return parser::make_TK_FUNCTION();
    case TK_UNSAFE: return parser::make_TK_UNSAFE();
    case TK_GT: return parser::make_TK_GT();
    case TK_GTE: return parser::make_TK_GTE();
    case TK_HAT: return parser::make_TK_HAT();
    case TK_ICONST: return parser::make_TK_ICONST(next.lx);
    case TK_IDENT: return parser::make_TK_IDENT(next.lx);
    case TK_IF: return parser::make_TK_IF();
    case TK_IMPL: return parser::make_TK_IMPL();
    case TK_INT: return parser::make_TK_INT();
    case TK_LET: return parser::make_TK_LET();
    case TK_LT: return parser::make_TK_LT();
    case TK_LTE: return parser::make_TK_LTE();
    case TK_MINUS: return parser::make_TK_MINUS();
    case TK_MOD: return parser::make_TK_MOD();
    case TK_NEQ: return parser::make_TK_NEQ();
    case TK_NODE: return parser::make_TK_NODE();
    case TK_NOR: return parser::make_TK_NOR();
    case TK_NOT: return parser::make_TK_NOT();
    case TK_OPEN_BRACE: return parser::make_TK_OPEN_BRACE();
    case TK_OPEN_BRACKET: return parser::make_TK_OPEN_BRACKET();
    case TK_OPEN_PAR: return parser::make_TK_OPEN_PAR();
    case TK_OR: return parser::make_TK_OR();
    case TK_PCENT: return parser::make_TK_PCENT();
    case TK_PLUS: return parser::make_TK_PLUS();
    case TK_PRE: return parser::make_TK_PRE();
    case TK_RCONST: return parser::make_TK_RCONST(next.lx);
    case TK_REAL: return parser::make_TK_REAL();
    case TK_RETURNS: return parser::make_TK_RETURNS();
    case TK_SEMICOL: return parser::make_TK_SEMICOL();
    case TK_SLASH: return parser::make_TK_SLASH();
    case TK_STAR: return parser::make_TK_STAR();
    case TK_STRUCT: return parser::make_TK_STRUCT();
    case TK_STEP: return parser::make_TK_STEP();
    case TK_TEL: return parser::make_TK_TEL();
    case TK_THEN: return parser::make_TK_THEN();
    case TK_TRUE: return parser::make_TK_TRUE();
    case TK_TYPE: return parser::make_TK_TYPE();
    case TK_VAR: return parser::make_TK_VAR();
    case TK_WHEN: return parser::make_TK_WHEN();
    case TK_XOR: return parser::make_TK_XOR();
    case TK_OF: return parser::make_TK_OF();
    case TK_PRAGMA: return parser::make_TK_PRAGMA(next.lx);
  }
  return parser::make_YYUNDEF();
}
