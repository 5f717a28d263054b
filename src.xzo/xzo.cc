#include "xzo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <deque>
#include <memory>

#include "arena.h"
#include "errors.h"
#include "output.h"
#include "xzoDecls.h"
#include "xzoLexer.h"
#include "xzoParser.hh"

namespace {

// Positions made while reading point into the text read, so every text read
// is kept until the process ends.
std::deque<std::unique_ptr<char[]>>& texts_read() {
  static std::deque<std::unique_ptr<char[]>> texts;
  return texts;
}

// A buffer of `size` bytes, left uninitialised since reading fills it.
std::unique_ptr<char[]> new_buffer(std::size_t size) {
  auto buffer = std::make_unique_for_overwrite<char[]>(size);
  ask_for_huge_pages(buffer.get(), size);
  return buffer;
}

std::string_view keep(std::unique_ptr<char[]> buffer, std::size_t size) {
  return {texts_read().emplace_back(std::move(buffer)).get(), size};
}

// Writes `value` right-aligned in `width` places at `out`; returns the end.
char* put_padded(char* out, int value, int width) {
  char digits[16];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) *out++ = ' ';
  return std::copy(digits, end, out);
}

// One line of the listing, "line %3d col %2d to %2d : %15s = \"%s\"\n", built
// in the output buffer itself: the listing is the bulk of -tlex's time.
void list_token(std::string_view name, const lexeme& position) {
  constexpr std::size_t short_text = 256;
  bool inline_text = position.str.size() <= short_text;
  char* out = output::claim(128 + (inline_text ? short_text : 0));
  out = std::copy_n("line ", 5, out);
  out = put_padded(out, position.line, 3);
  out = std::copy_n(" col ", 5, out);
  out = put_padded(out, position.cstart, 2);
  out = std::copy_n(" to ", 4, out);
  out = put_padded(out, position.cend, 2);
  out = std::copy_n(" : ", 3, out);
  for (std::size_t pad = name.size(); pad < 15; ++pad) *out++ = ' ';
  out = std::copy(name.begin(), name.end(), out);
  out = std::copy_n(" = \"", 4, out);
  if (inline_text) {
    out = std::copy(position.str.begin(), position.str.end(), out);
    output::commit(std::copy_n("\"\n", 2, out));
    return;
  }
  output::commit(out);
  output::write(position.str);
  output::write("\"\n");
}

// Runs the parser over the context's input; the parser stops at the first
// token for which it has no action.
void run_parser(parse_context& context) {
  xzo::parser parse(context);
  if (parse() != 0) throw Syntax_error{};
}

const val_exp* read_expression(std::string_view text) {
  parse_context context{{text}, entry_point::expression, run_package(), run_positions()};
  run_parser(context);
  return context.exp;
}

}  // namespace

read_result read(const input_channel& channel) {
  parse_context context{
      {read_channel(channel)}, entry_point::file, run_package(), run_positions()};
  run_parser(context);
  return {context.pack, context.positions};
}

const val_exp* exp_of_channel(const input_channel& channel) {
  return read_expression(read_channel(channel));
}

const val_exp* exp_of_string(std::string_view text) {
  auto copy = new_buffer(text.size());
  std::memcpy(copy.get(), text.data(), text.size());
  return read_expression(keep(std::move(copy), text.size()));
}

std::string_view read_channel(const input_channel& channel) {
  // A regular file is read into a buffer of its size plus the one byte that
  // shows the end; other inputs grow their buffer as they come.
  struct stat status;
  bool regular = fstat(channel.fd, &status) == 0 && S_ISREG(status.st_mode);
  std::size_t capacity = regular ? static_cast<std::size_t>(status.st_size) + 1 : 1 << 16;
  auto text = new_buffer(capacity);
  std::size_t filled = 0;
  for (;;) {
    if (filled == capacity) {
      auto larger = new_buffer(2 * capacity);
      std::memcpy(larger.get(), text.get(), filled);
      text = std::move(larger);
      capacity *= 2;
    }
    ssize_t count = ::read(channel.fd, text.get() + filled, capacity - filled);
    if (count < 0) {
      if (errno == EINTR) continue;
      throw System_error{channel.name + ": " + std::strerror(errno)};
    }
    if (count == 0) break;
    filled += static_cast<std::size_t>(count);
  }
  return keep(std::move(text), filled);
}

void lexemize(const input_channel& channel) { lexemize_string(read_channel(channel)); }

void lexemize_string(std::string_view text) {
  lexer_buffer buffer{text};
  for (token next = lexer(buffer); next.kind != TK_EOF; next = lexer(buffer)) {
    auto [name, position] = token_code(next);
    list_token(name, position);
  }
}
