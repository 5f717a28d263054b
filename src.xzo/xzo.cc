#include "xzo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>

#include "arena.h"
#include "errors.h"
#include "output.h"
#include "xzoDecls.h"
#include "xzoLexer.h"
#include "xzoParser.hh"

namespace {

// A block of text bytes and the bytes it holds.
struct text_buffer {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;
};

// A buffer of `size` bytes, left uninitialised since reading fills it.
std::unique_ptr<char[]> new_buffer(std::size_t size) {
  auto buffer = std::make_unique_for_overwrite<char[]>(size);
  ask_for_huge_pages(buffer.get(), size);
  return buffer;
}

// Reads a channel one segment at a time, for inputs read once from start to
// end: the lexer holds a segment or two instead of the whole text. Two
// buffers take turns, each segment overwriting the one given before the last.
// The last two segments are kept by `keeper`, when there is one, for the
// positions made from them. A regular file may also be read from an offset,
// leaving the channel's own offset as it is, in segments of a chosen size, for
// a reading whose positions do not outlive it.
class channel_segments : public segment_source {
 public:
  channel_segments(const input_channel& channel, zo_run* keeper)
      : channel_(channel), keeper_(keeper) {}
  channel_segments(const input_channel& channel, std::uint64_t offset, std::size_t size)
      : channel_(channel), segment_size_(size), positioned_(true), offset_(offset) {}
  ~channel_segments() {
    if (keeper_ == nullptr) return;
    for (text_buffer& kept : buffers_)
      if (kept.bytes) keeper_->keep(std::move(kept.bytes), kept.capacity);
  }
  channel_segments(const channel_segments&) = delete;
  channel_segments& operator=(const channel_segments&) = delete;

  std::string_view next_segment() override {
    text_buffer& target = buffers_[turn_];
    turn_ = 1 - turn_;
    // The partial line that ended the previous segment starts this one.
    std::string_view carried = partial_line_;
    if (target.capacity < carried.size() + segment_size_)
      target = {new_buffer(carried.size() + segment_size_ + line_room),
                carried.size() + segment_size_ + line_room};
    if (!carried.empty()) std::memcpy(target.bytes.get(), carried.data(), carried.size());
    std::size_t filled = carried.size();
    for (;;) {
      filled += fill(target, filled);
      if (at_end_) {
        partial_line_ = {};
        return {target.bytes.get(), filled};
      }
      const void* line_break = memrchr(target.bytes.get(), '\n', filled);
      if (line_break != nullptr) {
        std::size_t length =
            static_cast<const char*>(line_break) - target.bytes.get() + 1;
        partial_line_ = {target.bytes.get() + length, filled - length};
        return {target.bytes.get(), length};
      }
      grow(target, filled);
    }
  }

 private:
  // Reads into the buffer from `filled` until it is full or the channel ends;
  // gives the number of bytes read.
  std::size_t fill(text_buffer& target, std::size_t filled) {
    std::size_t start = filled;
    while (filled < target.capacity && !at_end_) {
      ssize_t count = positioned_
                          ? ::pread(channel_.fd, target.bytes.get() + filled,
                                    target.capacity - filled, static_cast<off_t>(offset_))
                          : ::read(channel_.fd, target.bytes.get() + filled,
                                   target.capacity - filled);
      if (count < 0) {
        if (errno == EINTR) continue;
        throw System_error{channel_.name + ": " + std::strerror(errno)};
      }
      if (count == 0) at_end_ = true;
      filled += static_cast<std::size_t>(count);
      offset_ += static_cast<std::uint64_t>(count);
    }
    return filled - start;
  }

  // A line longer than the buffer: the buffer doubles, keeping its bytes.
  static void grow(text_buffer& target, std::size_t filled) {
    auto larger = new_buffer(2 * target.capacity);
    std::memcpy(larger.get(), target.bytes.get(), filled);
    target = {std::move(larger), 2 * target.capacity};
  }

  // Room for the partial lines carried from segment to segment, so that the
  // two buffers serve the whole reading instead of fresh memory, faulted in
  // page by page, for most segments.
  static constexpr std::size_t line_room = std::size_t{1} << 16;

  const input_channel& channel_;
  zo_run* keeper_ = nullptr;
  std::size_t segment_size_ = std::size_t{1} << 20;
  bool positioned_ = false;
  std::uint64_t offset_ = 0;
  text_buffer buffers_[2];
  int turn_ = 0;
  std::string_view partial_line_;
  bool at_end_ = false;
};

// Writes `value` right-aligned in `width` places at `out`; returns the end.
// The digits are written in place and moved right by the padding: a local
// buffer would cost this per-token call a stack guard in hardened builds.
char* put_padded(char* out, int value, int width) {
  constexpr int widest = 11;  // "-2147483648"
  char* end = std::to_chars(out, out + widest, value).ptr;
  const int pad = width - static_cast<int>(end - out);
  if (pad <= 0) return end;
  std::copy_backward(out, end, end + pad);
  std::fill_n(out, pad, ' ');
  return end + pad;
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

// Lists the tokens of the buffer; gives the last position made.
lexeme list_tokens(lexer_buffer buffer) {
  lexeme position;
  for (token_kind kind = lexer(buffer, position); kind != TK_EOF;
       kind = lexer(buffer, position))
    list_token(token_name(kind), position);
  return buffer.last_made;
}

// Runs the parser over the context's input; the parser stops at the first
// token for which it has no action.
void run_parser(parse_context& context) {
  if (parse(context) != 0) throw Syntax_error{context.buffer.last_made};
}

// Reads an expression, entering whatever it declares (nothing) into a package
// of its own; `last_made` goes in and out as the buffer's last position made.
const val_exp* read_expression(lexer_buffer buffer, lexeme& last_made) {
  package pack;
  position_store positions(run_arena());
  buffer.last_made = last_made;
  parse_context context{buffer, entry_point::expression, pack, positions};
  int status = parse(context);
  last_made = context.buffer.last_made;
  if (status != 0) throw Syntax_error{last_made};
  return context.exp;
}

// Reads the buffer as a zo file into `pack`, keeping places in `places`.
void read_placed(lexer_buffer buffer, package& pack, reading_places& places) {
  position_store positions(run_arena());
  parse_context context{buffer, entry_point::file, pack, positions};
  context.places = &places;
  run_parser(context);
}

// Reads the one node that starts the buffer, keeping its places: the reading
// stops once that node is read.
void read_one_node(lexer_buffer buffer, package& pack, reading_places& places) {
  places.stop_after_one_node();
  try {
    read_placed(buffer, pack, places);
  } catch (const one_node_read&) {
  }
}

// A copy of the text that lives as long as the positions made from it.
std::string_view kept_copy(std::string_view text) {
  char* copy = static_cast<char*>(run_arena().allocate_packed(text.size()));
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}

// The text seen as the bytes from column `origin.column` of a line that
// starts at offset 0.
lexer_buffer placed_at(std::string_view text, text_origin origin) {
  return {.input = text,
          .base = static_cast<std::uint64_t>(origin.column - 1),
          .line = origin.line};
}

}  // namespace

void read(const input_channel& channel, zo_run& run, bool trace_lines) {
  channel_segments segments(channel, &run);
  parse_context context{{.further = &segments, .trace_lines = trace_lines},
                        entry_point::file,
                        run.pack(),
                        run.positions()};
  int status = parse(context);
  run.last_made() = context.buffer.last_made;
  if (status != 0) throw Syntax_error{run.last_made()};
}

void read_checked(std::string_view text, package& pack, reading_places& places) {
  read_placed({text}, pack, places);
}

void read_checked(const input_channel& channel, zo_run& run, package& pack,
                  reading_places& places) {
  channel_segments segments(channel, &run);
  read_placed({{}, 0, 0, &segments}, pack, places);
}

// The line of the keyword starts `start.column - 1` bytes before the text.
void read_node_again(std::string_view text, const node_start& start, package& pack,
                     reading_places& places) {
  read_one_node({.input = text,
                 .base = static_cast<std::uint64_t>(start.column - 1),
                 .line = start.line},
                pack, places);
}

void read_node_again(const input_channel& channel, std::uint64_t offset,
                     const node_start& start, package& pack, reading_places& places) {
  constexpr std::size_t segment_size = std::size_t{1} << 16;
  try {
    channel_segments segments(channel, offset, segment_size);
    read_one_node({.base = static_cast<std::uint64_t>(start.column - 1),
                   .further = &segments,
                   .line = start.line},
                  pack, places);
  } catch (const Syntax_error&) {
    // The text of the stop lay in the segments, which are gone.
    throw Syntax_error{dummy};
  }
}

const val_exp* exp_of_string(std::string_view text) {
  lexeme last_made = dummy;
  return read_expression({kept_copy(text)}, last_made);
}

const val_exp* exp_of_string(std::string_view text, text_origin origin) {
  lexeme last_made = dummy;
  return read_expression(placed_at(kept_copy(text), origin), last_made);
}

const val_exp* exp_of_string(std::string_view text, text_origin origin,
                             lexeme& last_made) {
  return read_expression(placed_at(kept_copy(text), origin), last_made);
}

std::string_view read_channel(const input_channel& channel, zo_run& run) {
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
  return run.keep(std::move(text), filled);
}

void lexemize(const input_channel& channel, bool trace_lines) {
  channel_segments segments(channel, nullptr);
  list_tokens({.further = &segments, .trace_lines = trace_lines});
}

void lexemize_string(std::string_view text, text_origin origin, lexeme& last_made) {
  lexer_buffer buffer = placed_at(text, origin);
  buffer.last_made = last_made;
  last_made = list_tokens(buffer);
}
