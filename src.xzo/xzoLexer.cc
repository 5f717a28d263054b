#include "xzoLexer.h"

#include <array>
#include <cstring>

namespace {

constexpr std::string_view token_names[] = {
    "TK_EOF",       "TK_ERROR",  "TK_AND",     "TK_ARROW",       "TK_ASSERT",
    "TK_BAR",       "TK_BOOL",   "TK_CDOTS",   "TK_CLOSE_BRACE", "TK_CLOSE_BRACKET",
    "TK_CLOSE_PAR", "TK_COLON",  "TK_COMA",    "TK_CONST",       "TK_CURRENT",
    "TK_DIESE",     "TK_DIV",    "TK_DOT",     "TK_EQ",          "TK_EQUA",
    "TK_ELSE",      "TK_ENUM",   "TK_FALSE",   "TK_FIELD",       "TK_FUNCTION",
    "TK_UNSAFE",    "TK_GT",     "TK_GTE",     "TK_HAT",         "TK_ICONST",
    "TK_IDENT",     "TK_IF",     "TK_IMPL",    "TK_INT",         "TK_LET",
    "TK_LT",        "TK_LTE",    "TK_MINUS",   "TK_MOD",         "TK_NEQ",
    "TK_NODE",      "TK_NOR",    "TK_NOT",     "TK_OPEN_BRACE",  "TK_OPEN_BRACKET",
    "TK_OPEN_PAR",  "TK_OR",     "TK_PCENT",   "TK_PLUS",        "TK_PRE",
    "TK_RCONST",    "TK_REAL",   "TK_RETURNS", "TK_SEMICOL",     "TK_SLASH",
    "TK_STAR",      "TK_STRUCT", "TK_STEP",    "TK_TEL",         "TK_THEN",
    "TK_TRUE",      "TK_TYPE",   "TK_VAR",     "TK_WHEN",        "TK_XOR",
    "TK_OF",        "TK_PRAGMA",
};
static_assert(std::size(token_names) == TK_PRAGMA + 1);

struct keyword {
  std::string_view text;
  token_kind kind;
};

constexpr keyword keywords[] = {
    {"and", TK_AND},         {"assert", TK_ASSERT},
    {"bool", TK_BOOL},       {"const", TK_CONST},
    {"current", TK_CURRENT}, {"div", TK_DIV},
    {"else", TK_ELSE},       {"enum", TK_ENUM},
    {"equa", TK_EQUA},       {"false", TK_FALSE},
    {"if", TK_IF},           {"int", TK_INT},
    {"let", TK_LET},         {"mod", TK_MOD},
    {"node", TK_NODE},       {"function", TK_FUNCTION},
    {"unsafe", TK_UNSAFE},   {"not", TK_NOT},
    {"or", TK_OR},           {"nor", TK_NOR},
    {"pre", TK_PRE},         {"real", TK_REAL},
    {"returns", TK_RETURNS}, {"tel", TK_TEL},
    {"type", TK_TYPE},       {"struct", TK_STRUCT},
    {"step", TK_STEP},       {"then", TK_THEN},
    {"true", TK_TRUE},       {"var", TK_VAR},
    {"when", TK_WHEN},       {"xor", TK_XOR},
    {"of", TK_OF},
};

// Identifiers are frequent: each is compared only with the few keywords that
// share its first letter.
constexpr std::size_t max_keywords_per_initial = 5;
constexpr auto keywords_by_initial = [] {
  std::array<std::array<std::int8_t, max_keywords_per_initial>, 26> buckets{};
  for (auto& bucket : buckets) bucket.fill(-1);
  for (std::size_t index = 0; index < std::size(keywords); ++index) {
    auto& bucket = buckets[keywords[index].text[0] - 'a'];
    std::size_t free = 0;
    while (bucket[free] >= 0) ++free;
    bucket[free] = static_cast<std::int8_t>(index);
  }
  return buckets;
}();

enum char_class : std::uint8_t { other, letter, digit, blank };

constexpr std::array<char_class, 256> classes = [] {
  std::array<char_class, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[c] = letter;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = letter;
  table['_'] = letter;
  for (int c = '0'; c <= '9'; ++c) table[c] = digit;
  table[' '] = table['\t'] = table['\r'] = blank;
  return table;
}();

// Scans one token from the buffer. Every "peek" past the end of the input
// reads as a byte of class `other`, which ends every pattern.
class scanner {
 public:
  explicit scanner(lexer_buffer& buffer) : buffer_(buffer), input_(buffer.input) {}

  token next() {
    for (;;) {
      std::size_t start = buffer_.next;
      if (start == input_.size()) {
        if (next_segment()) continue;
        return {TK_EOF, dummy};
      }
      switch (at(start)) {
        case ' ':
        case '\t':
        case '\r': {
          std::size_t end = start + 1;
          while (class_at(end) == blank) ++end;
          buffer_.next = end;
          continue;
        }
        case '\n':
          buffer_.next = start + 1;
          new_line(span(start, start + 1));
          continue;
        case '-':
          if (at(start + 1) == '-') {
            if (at(start + 2) == '%') return pragma(start);
            skip_line_comment(start);
            continue;
          }
          return at(start + 1) == '>' ? emit(TK_ARROW, start, 2)
                                      : emit(TK_MINUS, start, 1);
        case '(':
          if (at(start + 1) == '*') {
            skip_block_comment(start, '*', ')');
            continue;
          }
          return emit(TK_OPEN_PAR, start, 1);
        case '/':
          if (at(start + 1) == '*') {
            skip_block_comment(start, '*', '/');
            continue;
          }
          return emit(TK_SLASH, start, 1);
        case '.':
          if (class_at(start + 1) == digit) return fraction(start, start + 1);
          if (at(start + 1) == '%') return emit(TK_FIELD, start, 2);
          if (at(start + 1) == '.') return emit(TK_CDOTS, start, 2);
          return emit(TK_DOT, start, 1);
        case '=':
          return at(start + 1) == '>' ? emit(TK_IMPL, start, 2) : emit(TK_EQ, start, 1);
        case '<':
          if (at(start + 1) == '=') return emit(TK_LTE, start, 2);
          if (at(start + 1) == '>') return emit(TK_NEQ, start, 2);
          return emit(TK_LT, start, 1);
        case '>':
          return at(start + 1) == '=' ? emit(TK_GTE, start, 2) : emit(TK_GT, start, 1);
        case '^': return emit(TK_HAT, start, 1);
        case '+': return emit(TK_PLUS, start, 1);
        case '*': return emit(TK_STAR, start, 1);
        case '|': return emit(TK_BAR, start, 1);
        case '#': return emit(TK_DIESE, start, 1);
        case ',': return emit(TK_COMA, start, 1);
        case ';': return emit(TK_SEMICOL, start, 1);
        case ':': return emit(TK_COLON, start, 1);
        case ')': return emit(TK_CLOSE_PAR, start, 1);
        case '{': return emit(TK_OPEN_BRACE, start, 1);
        case '}': return emit(TK_CLOSE_BRACE, start, 1);
        case '[': return emit(TK_OPEN_BRACKET, start, 1);
        case ']': return emit(TK_CLOSE_BRACKET, start, 1);
        default:
          switch (class_at(start)) {
            case letter: return identifier(start);
            case digit: return number(start);
            default: return emit(TK_ERROR, start, 1);
          }
      }
    }
  }

 private:
  char at(std::size_t offset) const {
    return offset < input_.size() ? input_[offset] : '\0';
  }
  char_class class_at(std::size_t offset) const {
    return offset < input_.size() ? classes[static_cast<unsigned char>(input_[offset])]
                                  : other;
  }
  std::size_t skip_class(std::size_t offset, char_class wanted) const {
    while (class_at(offset) == wanted) ++offset;
    return offset;
  }
  std::size_t skip_word(std::size_t offset) const {
    for (;;) {
      char_class c = class_at(offset);
      if (c != letter && c != digit) return offset;
      ++offset;
    }
  }
  match_span span(std::size_t start, std::size_t end) const {
    return {input_.substr(start, end - start), buffer_.base + start, buffer_.base + end};
  }
  // Moves on to the next segment of the text; false at the end of the text.
  bool next_segment() {
    if (buffer_.further == nullptr) return false;
    keep_last_made();
    std::string_view segment = buffer_.further->next_segment();
    if (segment.empty()) return false;
    buffer_.base += input_.size();
    buffer_.input = input_ = segment;
    buffer_.next = 0;
    return true;
  }
  token emit(token_kind kind, std::size_t start, std::size_t length, int offset = 0) {
    buffer_.next = start + length;
    return {kind, make(span(start, start + length), offset)};
  }

  // An exponent: "E" or "e", an optional sign, one or more digits. Returns the
  // offset after it, or `offset` itself when none is complete there.
  std::size_t exponent_end(std::size_t offset) const {
    char mark = at(offset);
    if (mark != 'e' && mark != 'E') return offset;
    std::size_t digits = offset + 1;
    if (at(digits) == '+' || at(digits) == '-') ++digits;
    if (class_at(digits) != digit) return offset;
    return skip_class(digits, digit);
  }

  token number(std::size_t start) {
    std::size_t end = skip_class(start, digit);
    if (at(end) == '.') return fraction(start, end + 1);
    std::size_t with_exponent = exponent_end(end);
    if (with_exponent != end) return emit(TK_RCONST, start, with_exponent - start);
    return emit(TK_ICONST, start, end - start);
  }

  // A real literal whose point ends before `digits`: zero or more digits, then
  // an optional exponent.
  token fraction(std::size_t start, std::size_t digits) {
    std::size_t end = exponent_end(skip_class(digits, digit));
    return emit(TK_RCONST, start, end - start);
  }

  token identifier(std::size_t start) {
    std::size_t end = skip_word(start);
    if (at(end) == ':' && at(end + 1) == ':' && class_at(end + 2) == letter)
      return emit(TK_IDENT, start, skip_word(end + 2) - start);
    std::optional<token_kind> kind = is_a_keyword(input_.substr(start, end - start));
    return emit(kind ? *kind : TK_IDENT, start, end - start);
  }

  token pragma(std::size_t start) {
    const void* line_break =
        std::memchr(input_.data() + start, '\n', input_.size() - start);
    std::size_t end = line_break != nullptr
                          ? static_cast<const char*>(line_break) - input_.data()
                          : input_.size();
    return emit(TK_PRAGMA, start, end - start, 3);
  }

  // The opener's position is made first: it places an unterminated comment and
  // is the last position made when the input ends inside the comment.
  void skip_line_comment(std::size_t start) {
    make(span(start, start + 2));
    const void* line_break =
        std::memchr(input_.data() + start + 2, '\n', input_.size() - start - 2);
    if (line_break == nullptr) {
      buffer_.next = input_.size();
      return;
    }
    std::size_t end = static_cast<const char*>(line_break) - input_.data();
    buffer_.next = end + 1;
    new_line(span(end, end + 1));
  }

  void skip_block_comment(std::size_t start, char first, char second) {
    lexeme opener = make(span(start, start + 2));
    std::size_t offset = start + 2;
    for (;;) {
      if (offset == input_.size()) {
        if (!next_segment())
          throw Lexical_error("unterminated comment", opener.line, opener.cstart);
        offset = 0;
      }
      char byte = input_[offset];
      if (byte == '\n') {
        new_line(span(offset, offset + 1));
      } else if (byte == first && at(offset + 1) == second) {
        buffer_.next = offset + 2;
        return;
      }
      ++offset;
    }
  }

  lexer_buffer& buffer_;
  std::string_view input_;
};

}  // namespace

Lexical_error::Lexical_error(const std::string& message, int line, int column)
    : Fatal_error("Lexical_error", message + " (line " + std::to_string(line) +
                                       ", char " + std::to_string(column) + ")"),
      line_(line),
      column_(column) {}

token lexer(lexer_buffer& buffer) { return scanner(buffer).next(); }

std::optional<token_kind> is_a_keyword(std::string_view text) {
  if (text.empty() || text[0] < 'a' || text[0] > 'z') return std::nullopt;
  for (std::int8_t index : keywords_by_initial[text[0] - 'a']) {
    if (index < 0) break;
    if (keywords[index].text == text) return keywords[index].kind;
  }
  return std::nullopt;
}

std::string_view token_name(token_kind kind) { return token_names[kind]; }

std::pair<std::string_view, lexeme> token_code(const token& tok) {
  return {token_name(tok.kind), tok.kind == TK_EOF ? dummy : tok.lx};
}
