#include "xzo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

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

// Positions made while reading point into the text read, so every text read
// is kept until the run state is reset.
std::deque<text_buffer>& texts_read() {
  static std::deque<text_buffer> texts;
  return texts;
}

// The large buffers of the texts forgotten at a reset, kept for the runs that
// follow: a process that reads input after input (a fuzzing harness) would
// otherwise take fresh memory and fault it in for every input.
std::vector<text_buffer>& spare_buffers() {
  static std::vector<text_buffer> spare;
  return spare;
}

// A buffer of `size` bytes, left uninitialised since reading fills it.
std::unique_ptr<char[]> new_buffer(std::size_t size) {
  auto buffer = std::make_unique_for_overwrite<char[]>(size);
  ask_for_huge_pages(buffer.get(), size);
  return buffer;
}

// Smaller buffers are cheap to take afresh.
constexpr std::size_t spare_size = std::size_t{1} << 20;

// A buffer of at least `size` bytes: a spare one when it is large enough.
text_buffer reused_buffer(std::size_t size) {
  std::vector<text_buffer>& spare = spare_buffers();
  while (!spare.empty()) {
    text_buffer taken = std::move(spare.back());
    spare.pop_back();
    if (taken.capacity >= size) return taken;
  }
  return {new_buffer(size), size};
}

std::string_view keep(std::unique_ptr<char[]> buffer, std::size_t size) {
  return {texts_read().emplace_back(text_buffer{std::move(buffer), size}).bytes.get(),
          size};
}

// Reads a channel one segment at a time, for inputs read once from start to
// end: the lexer holds a segment or two instead of the whole text. Two
// buffers take turns, each segment overwriting the one given before the last.
// A regular file may also be read from an offset, leaving the channel's own
// offset as it is, in segments of a chosen size, for a reading whose
// positions do not outlive it.
class channel_segments : public segment_source {
 public:
  explicit channel_segments(const input_channel& channel) : channel_(channel) {}
  channel_segments(const input_channel& channel, std::uint64_t offset, std::size_t size)
      : channel_(channel), segment_size_(size), positioned_(true), offset_(offset) {}
  // The last segments stay for the positions made from them.
  ~channel_segments() {
    if (positioned_) return;
    for (text_buffer& kept : buffers_) texts_read().push_back(std::move(kept));
  }
  channel_segments(const channel_segments&) = delete;
  channel_segments& operator=(const channel_segments&) = delete;

  std::string_view next_segment() override {
    text_buffer& target = buffers_[turn_];
    turn_ = 1 - turn_;
    // The partial line that ended the previous segment starts this one.
    std::string_view carried = partial_line_;
    if (target.capacity < carried.size() + segment_size_)
      target = reused_buffer(carried.size() + segment_size_ + line_room);
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

void list_tokens(lexer_buffer buffer) {
  lexeme position;
  for (token_kind kind = lexer(buffer, position); kind != TK_EOF;
       kind = lexer(buffer, position))
    list_token(token_name(kind), position);
}

// Runs the parser over the context's input; the parser stops at the first
// token for which it has no action.
void run_parser(parse_context& context) {
  if (parse(context) != 0) throw Syntax_error{};
}

const val_exp* read_expression(lexer_buffer buffer) {
  parse_context context{buffer, entry_point::expression, run_package(), run_positions()};
  run_parser(context);
  return context.exp;
}

// Reads the buffer as a zo file into `pack`, keeping places in `places`.
void read_placed(lexer_buffer buffer, package& pack, reading_places& places) {
  parse_context context{buffer, entry_point::file, pack, run_positions()};
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
  auto copy = new_buffer(text.size());
  std::memcpy(copy.get(), text.data(), text.size());
  return keep(std::move(copy), text.size());
}

// The text seen as the bytes from column `origin.column` of a line that
// starts at offset 0.
lexer_buffer placed_at(std::string_view text, text_origin origin) {
  start_line(origin.line, 0);
  return {text, 0, static_cast<std::uint64_t>(origin.column - 1)};
}

}  // namespace

read_result read(const input_channel& channel) {
  channel_segments segments(channel);
  parse_context context{
      {{}, 0, 0, &segments}, entry_point::file, run_package(), run_positions()};
  run_parser(context);
  return {context.pack, context.positions};
}

void read_checked(std::string_view text, package& pack, reading_places& places) {
  reset_positions();
  read_placed({text}, pack, places);
}

void read_checked(const input_channel& channel, package& pack, reading_places& places) {
  reset_positions();
  channel_segments segments(channel);
  read_placed({{}, 0, 0, &segments}, pack, places);
}

// The line of the keyword starts `start.column - 1` bytes before the text.
void read_node_again(std::string_view text, const node_start& start, package& pack,
                     reading_places& places) {
  start_line(start.line, 0);
  read_one_node({text, 0, static_cast<std::uint64_t>(start.column - 1)}, pack, places);
}

void read_node_again(const input_channel& channel, std::uint64_t offset,
                     const node_start& start, package& pack, reading_places& places) {
  constexpr std::size_t segment_size = std::size_t{1} << 16;
  // No position made here is the last one made once the segments are gone.
  struct last_made_forgotten {
    ~last_made_forgotten() { made_last(dummy); }
  } forgotten;
  channel_segments segments(channel, offset, segment_size);
  start_line(start.line, 0);
  read_one_node({{}, 0, static_cast<std::uint64_t>(start.column - 1), &segments}, pack,
                places);
}

const val_exp* exp_of_channel(const input_channel& channel) {
  return read_expression({read_channel(channel)});
}

const val_exp* exp_of_string(std::string_view text) {
  return read_expression({kept_copy(text)});
}

const val_exp* exp_of_string(std::string_view text, text_origin origin) {
  return read_expression(placed_at(kept_copy(text), origin));
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

void forget_texts_read() {
  for (text_buffer& text : texts_read())
    if (text.capacity >= spare_size) spare_buffers().push_back(std::move(text));
  texts_read().clear();
}

void lexemize(const input_channel& channel) {
  channel_segments segments(channel);
  list_tokens({{}, 0, 0, &segments});
}

void lexemize_string(std::string_view text) { list_tokens({text}); }

void lexemize_string(std::string_view text, text_origin origin) {
  list_tokens(placed_at(text, origin));
}
