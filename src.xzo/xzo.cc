#include "xzo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// One line of the listing:
// "line %3d col %2d to %2d : %15s = \"%s\"\n".
void list_token(std::string_view name, const lexeme& position) {
  output::write("line ");
  output::put_int(position.line, 3);
  output::write(" col ");
  output::put_int(position.cstart, 2);
  output::write(" to ");
  output::put_int(position.cend, 2);
  output::write(" : ");
  for (std::size_t pad = name.size(); pad < 15; ++pad) output::put(' ');
  output::write(name);
  output::write(" = \"");
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
