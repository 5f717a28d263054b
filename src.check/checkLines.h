// The lines of a checked text, shown under its diagnostics. A regular file
// is read again where a line is wanted, so that its text need not be kept
// while it is checked; other inputs keep their text.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class source_lines {
 public:
  /// The lines of a text kept in memory.
  explicit source_lines(std::string_view text) : text_(text), kept_(true) {}
  /// The lines of the regular file open as `fd`, whose text starts at
  /// offset `start`.
  source_lines(int fd, std::uint64_t start) : fd_(fd), start_(start) {}

  /// The text of line `number` (1-based) without its line break; empty when
  /// the text has no such line. Valid until the next call.
  std::string_view line(int number);

  /// Up to `count` bytes of line `number` from its column `column` on,
  /// without the line break; `more` tells whether the line goes on past
  /// them. Reads no more of a long line than that. Valid until the next call.
  std::string_view line_part(int number, int column, std::size_t count, bool& more);

  /// The offset of column `column` of line `number`, in the file or in the
  /// kept text; none past the end.
  std::optional<std::uint64_t> offset_of(int number, int column);
  /// The kept text from `offset` on; null for a file.
  std::optional<std::string_view> kept_from(std::uint64_t offset) const {
    if (!kept_) return std::nullopt;
    return text_.substr(std::min<std::uint64_t>(offset, text_.size()));
  }

 private:
  // The offset of the start of line `number`, or none past the end.
  bool find_start(int number, std::uint64_t& offset);
  // The bytes from `offset` on that the window holds, after reading them
  // into it when it does not; empty at the end of the text.
  std::string_view bytes_at(std::uint64_t offset);

  std::string_view text_;
  bool kept_ = false;
  int fd_ = -1;
  std::uint64_t start_ = 0;
  // The start of every `every`-th line (1, 1 + every, ...), as far as the
  // text has been scanned; the last line start scanned.
  static constexpr int every = 64;
  std::vector<std::uint64_t> marks_;
  int scanned_line_ = 0;
  std::uint64_t scanned_start_ = 0;
  int found_line_ = 0;
  std::uint64_t found_start_ = 0;
  // The part of the file read last, from `window_start_`.
  std::string window_;
  std::uint64_t window_start_ = 0;
  std::string shown_;
};
