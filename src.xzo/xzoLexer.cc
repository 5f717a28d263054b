#include "xzoLexer.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "arena.h"

namespace {

// The lexer's current match, as offsets from the start of the whole text.
struct match_span {
  std::string_view text;
  std::uint64_t start;
  std::uint64_t end;
};

// The position of the current match; it becomes the buffer's last position
// made. Both copies of the position are written field by field from the same
// values: copying one from the other as a whole, once inlined, reads back
// memory just written in smaller pieces and stalls on every token.
lexeme make(lexer_buffer& buffer, const match_span& match) {
  int cstart = static_cast<int>(match.start - buffer.line_start) + 1;
  int cend = static_cast<int>(match.end - buffer.line_start);
  int line = buffer.line;
  buffer.last_made.str = match.text;
  buffer.last_made.line = line;
  buffer.last_made.cstart = cstart;
  buffer.last_made.cend = cend;
  return {match.text, line, cstart, cend};
}

// The same position, made ahead of its use: it does not become the last
// position made until `batch_made_last` says so.
lexeme make_ahead(const lexer_buffer& buffer, const match_span& match) {
  return {match.text, buffer.line, static_cast<int>(match.start - buffer.line_start) + 1,
          static_cast<int>(match.end - buffer.line_start)};
}

// Records that the current match ended with a line break; with the trace on,
// shows the line reached on standard error.
void new_line(lexer_buffer& buffer, const match_span& match) {
  buffer.line_start = match.end;
  ++buffer.line;
  if (buffer.trace_lines) [[unlikely]] {
    std::fprintf(stderr, "\rreading line %4d", buffer.line);
    std::fflush(stderr);
  }
}

// Gives the last position made a copy of its text, for a text about to be
// released.
void keep_last_made(lexer_buffer& buffer) {
  std::string_view text = buffer.last_made.str;
  char* copy = static_cast<char*>(run_arena().allocate(text.size()));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  buffer.last_made.str = {copy, text.size()};
}

constexpr std::string_view token_names[] = {
#define TOKEN(name, description) "TK_" #name,
#define PUNCT(name, text) "TK_" #name,
#define KEYWORD(name, text) "TK_" #name,
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD
};
static_assert(std::size(token_names) == TK_PRAGMA + 1);

// A text of up to eight bytes as one number, its first byte lowest: texts of
// letters and digits have no zero byte, so equal numbers mean equal texts.
constexpr std::uint64_t packed(std::string_view text) {
  std::uint64_t code = 0;
  for (std::size_t at = text.size(); at-- > 0;)
    code = code << 8 | static_cast<unsigned char>(text[at]);
  return code;
}

constexpr std::pair<std::string_view, token_kind> keywords[] = {
#define TOKEN(name, description)
#define PUNCT(name, text)
#define KEYWORD(name, text) {text, TK_##name},
#include "xzoTokens.def"
#undef TOKEN
#undef PUNCT
#undef KEYWORD
};

// The keyword table: a perfect hash of the packed texts, one multiply and
// one shift giving each keyword a slot of its own among 64. A slot holds
// the packed text it is for, which no word's packed text can be when empty.
constexpr std::uint64_t keyword_multiplier = 0x76912b22a9fdb0cd;

constexpr std::size_t keyword_slot(std::uint64_t code) {
  return (code * keyword_multiplier) >> 58;
}

struct keyword_entry {
  std::uint64_t code;
  token_kind kind;
};

constexpr std::array<keyword_entry, 64> keyword_table = [] {
  std::array<keyword_entry, 64> table{};
  for (auto [text, kind] : keywords) {
    keyword_entry& entry = table[keyword_slot(packed(text))];
    if (entry.code != 0) throw "two keywords share a slot: choose another multiplier";
    entry = {packed(text), kind};
  }
  return table;
}();

std::optional<token_kind> keyword_of(std::uint64_t code) {
  const keyword_entry& entry = keyword_table[keyword_slot(code)];
  if (entry.code != code) return std::nullopt;
  return entry.kind;
}

// What a byte starts. Each byte that is a token by itself maps to its kind
// in `single_kinds`.
enum char_class : std::uint8_t {
  other,
  letter,
  digit,
  blank,
  line_break,
  single,
  special
};

constexpr std::array<char_class, 256> classes = [] {
  std::array<char_class, 256> table{};
  for (int c = 'a'; c <= 'z'; ++c) table[c] = letter;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = letter;
  table['_'] = letter;
  for (int c = '0'; c <= '9'; ++c) table[c] = digit;
  table[' '] = table['\t'] = table['\r'] = blank;
  table['\n'] = line_break;
  for (unsigned char c : std::string_view("^+*|#,;:){}[]")) table[c] = single;
  for (unsigned char c : std::string_view("-(/.=<>")) table[c] = special;
  return table;
}();

constexpr std::array<token_kind, 256> single_kinds = [] {
  std::array<token_kind, 256> table{};
  table['^'] = TK_HAT;
  table['+'] = TK_PLUS;
  table['*'] = TK_STAR;
  table['|'] = TK_BAR;
  table['#'] = TK_DIESE;
  table[','] = TK_COMA;
  table[';'] = TK_SEMICOL;
  table[':'] = TK_COLON;
  table[')'] = TK_CLOSE_PAR;
  table['{'] = TK_OPEN_BRACE;
  table['}'] = TK_CLOSE_BRACE;
  table['['] = TK_OPEN_BRACKET;
  table[']'] = TK_CLOSE_BRACKET;
  return table;
}();

// The kind of a token and the offset after it; TK_EOF for a comment, which
// ends there.
struct match {
  token_kind kind;
  std::size_t end;
};

// Scans one token from the buffer. Every "peek" past the end of the input
// reads as a byte of class `other`, which ends every pattern.
class scanner {
 public:
  explicit scanner(lexer_buffer& buffer) : buffer_(buffer), input_(buffer.input) {}

  // The next token. Ahead of the parser (`ahead`), positions are made ahead
  // and the scanner stops without a token (TK_EOF) where it would skip a
  // comment or leave its text: those the parser's own pace must reach.
  template <bool ahead>
  token_kind next(lexeme& position) {
    std::size_t start = buffer_.next;
    match found;
    for (;;) {
      if (start == input_.size()) {
        if constexpr (ahead) {
          buffer_.next = start;
          return TK_EOF;
        }
        if (next_segment()) {
          start = 0;
          continue;
        }
        buffer_.next = start;
        position = dummy;
        return TK_EOF;
      }
      unsigned char byte = static_cast<unsigned char>(input_[start]);
      // Most blanks are single spaces between tokens.
      if (byte == ' ') {
        ++start;
        continue;
      }
      switch (classes[byte]) {
        case letter: found = identifier(start); break;
        case single: found = {single_kinds[byte], start + 1}; break;
        case blank: start = skip_class(start + 1, blank); continue;
        case line_break:
          new_line(buffer_, span(start, start + 1));
          ++start;
          continue;
        case digit: found = number(start); break;
        case special:
          if constexpr (ahead) {
            if (starts_comment(byte, start)) {
              buffer_.next = start;
              return TK_EOF;
            }
          }
          found = operator_or_comment(byte, start);
          if (found.kind == TK_EOF) {
            start = found.end;
            continue;
          }
          // An annotation's text is what follows its "--%".
          if (found.kind == TK_PRAGMA) start += 3;
          break;
        case other: found = {TK_ERROR, start + 1}; break;
        default: __builtin_unreachable();  // the table holds only classes
      }
      break;
    }
    buffer_.next = found.end;
    if constexpr (ahead)
      position = make_ahead(buffer_, span(start, found.end));
    else
      position = make(buffer_, span(start, found.end));
    return found.kind;
  }

  // Fills the batch with the tokens up to the next comment or end of text,
  // as many as it holds; when there is none before it, with the one token
  // that the single-token path finds past it.
  void fill(token_batch& batch) {
    int count = 0;
    // The line counter's progress report keeps pace with the parser.
    if (!buffer_.trace_lines) {
      for (; count < token_batch::capacity; ++count) {
        token_kind kind = next<true>(batch.positions[count]);
        if (kind == TK_EOF) break;
        batch.kinds[count] = kind;
      }
    }
    batch.ahead = count != 0;
    if (batch.ahead)
      buffer_.last_made = batch.positions[count - 1];
    else
      batch.kinds[count++] = next<false>(batch.positions[0]);
    batch.count = count;
    batch.next = 0;
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
    return {
        {input_.data() + start, end - start}, buffer_.base + start, buffer_.base + end};
  }
  // Moves on to the next segment of the text; false at the end of the text.
  bool next_segment() {
    if (buffer_.further == nullptr) return false;
    keep_last_made(buffer_);
    std::string_view segment = buffer_.further->next_segment();
    if (segment.empty()) return false;
    buffer_.base += input_.size();
    buffer_.input = input_ = segment;
    buffer_.next = 0;
    return true;
  }
  bool starts_comment(unsigned char byte, std::size_t start) const {
    char second = at(start + 1);
    switch (byte) {
      case '-': return second == '-' && at(start + 2) != '%';
      case '(':
      case '/': return second == '*';
      default: return false;
    }
  }

  // The token or comment that starts with one of "-(/.=<>".
  match operator_or_comment(unsigned char byte, std::size_t start) {
    switch (byte) {
      case '-':
        if (at(start + 1) == '-') {
          if (at(start + 2) == '%') return pragma(start);
          return {TK_EOF, skip_line_comment(start)};
        }
        return at(start + 1) == '>' ? match{TK_ARROW, start + 2}
                                    : match{TK_MINUS, start + 1};
      case '(':
        if (at(start + 1) == '*') return {TK_EOF, skip_block_comment(start, '*', ')')};
        return {TK_OPEN_PAR, start + 1};
      case '/':
        if (at(start + 1) == '*') return {TK_EOF, skip_block_comment(start, '*', '/')};
        return {TK_SLASH, start + 1};
      case '.':
        if (class_at(start + 1) == digit) return fraction(start + 1);
        if (at(start + 1) == '%') return {TK_FIELD, start + 2};
        if (at(start + 1) == '.') return {TK_CDOTS, start + 2};
        return {TK_DOT, start + 1};
      case '=':
        return at(start + 1) == '>' ? match{TK_IMPL, start + 2} : match{TK_EQ, start + 1};
      case '<':
        if (at(start + 1) == '=') return {TK_LTE, start + 2};
        if (at(start + 1) == '>') return {TK_NEQ, start + 2};
        return {TK_LT, start + 1};
      default:
        return at(start + 1) == '=' ? match{TK_GTE, start + 2} : match{TK_GT, start + 1};
    }
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

  match number(std::size_t start) {
    std::size_t end = skip_class(start, digit);
    if (at(end) == '.') return fraction(end + 1);
    std::size_t with_exponent = exponent_end(end);
    if (with_exponent != end) return {TK_RCONST, with_exponent};
    return {TK_ICONST, end};
  }

  // A real literal whose point ends before `digits`: zero or more digits, then
  // an optional exponent.
  match fraction(std::size_t digits) {
    return {TK_RCONST, exponent_end(skip_class(digits, digit))};
  }

  // The text is packed while it is scanned: keywords have at most eight bytes.
  match identifier(std::size_t start) {
    std::uint64_t code = static_cast<unsigned char>(input_[start]);
    std::size_t end = start + 1;
    for (int shift = 8;; ++end, shift += 8) {
      char_class c = class_at(end);
      if (c != letter && c != digit) break;
      if (shift < 64)
        code |= std::uint64_t{static_cast<unsigned char>(input_[end])} << shift;
    }
    if (at(end) == ':') {
      if (at(end + 1) == ':' && class_at(end + 2) == letter)
        return {TK_IDENT, skip_word(end + 2)};
    } else if (end - start == 1) {
      return {TK_IDENT, end};
    }
    std::optional<token_kind> kind =
        end - start <= 8 ? keyword_of(code) : std::optional<token_kind>{};
    return {kind ? *kind : TK_IDENT, end};
  }

  match pragma(std::size_t start) {
    const void* line_break =
        std::memchr(input_.data() + start, '\n', input_.size() - start);
    return {TK_PRAGMA, line_break != nullptr
                           ? static_cast<std::size_t>(
                                 static_cast<const char*>(line_break) - input_.data())
                           : input_.size()};
  }

  // The opener's position is made first: it places an unterminated comment and
  // is the last position made when the input ends inside the comment. Both
  // give the offset after the comment.
  std::size_t skip_line_comment(std::size_t start) {
    make(buffer_, span(start, start + 2));
    const void* line_break =
        std::memchr(input_.data() + start + 2, '\n', input_.size() - start - 2);
    if (line_break == nullptr) return input_.size();
    std::size_t end = static_cast<const char*>(line_break) - input_.data();
    new_line(buffer_, span(end, end + 1));
    return end + 1;
  }

  std::size_t skip_block_comment(std::size_t start, char first, char second) {
    lexeme opener = make(buffer_, span(start, start + 2));
    std::size_t offset = start + 2;
    for (;;) {
      if (offset == input_.size()) {
        if (!next_segment())
          throw Lexical_error("unterminated comment", opener.line, opener.cstart);
        offset = 0;
      }
      char byte = input_[offset];
      if (byte == '\n') {
        new_line(buffer_, span(offset, offset + 1));
      } else if (byte == first && at(offset + 1) == second) {
        return offset + 2;
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

// Kept out of the parser's loop, which is faster with its registers to itself.
[[gnu::noinline]] token_kind lexer(lexer_buffer& buffer, lexeme& position) {
  return scanner(buffer).next<false>(position);
}

// Called once a batch: out of the parser's loop, whose registers stay its own.
[[gnu::noinline]] void lex_batch(lexer_buffer& buffer, token_batch& batch) {
  batch.source = &buffer;
  scanner(buffer).fill(batch);
}

void batch_made_last(const token_batch& batch) {
  if (batch.ahead) batch.source->last_made = batch.positions[batch.next - 1];
}

token lexer(lexer_buffer& buffer) {
  token next;
  next.kind = lexer(buffer, next.lx);
  return next;
}

bool is_keyword(std::string_view text) {
  if (text.empty() || text.size() > 8) return false;
  for (char c : text)
    if (classes[static_cast<unsigned char>(c)] != letter &&
        classes[static_cast<unsigned char>(c)] != digit)
      return false;
  return keyword_of(packed(text)).has_value();
}

std::string_view token_name(token_kind kind) { return token_names[kind]; }

std::pair<std::string_view, lexeme> token_code(const token& tok) {
  return {token_name(tok.kind), tok.kind == TK_EOF ? dummy : tok.lx};
}
