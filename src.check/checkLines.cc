#include "checkLines.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t window_size = std::size_t{1} << 16;

}  // namespace

std::string_view source_lines::line(int number) {
  shown_.clear();
  std::uint64_t at = 0;
  if (!find_start(number, at)) return {};
  for (std::string_view bytes = bytes_at(at); !bytes.empty(); bytes = bytes_at(at)) {
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    if (found != nullptr) {
      shown_.append(bytes.data(), static_cast<const char*>(found) - bytes.data());
      break;
    }
    shown_.append(bytes);
    at += bytes.size();
  }
  if (!shown_.empty() && shown_.back() == '\r') shown_.pop_back();
  return shown_;
}

// Two bytes past `count` tell a line that goes on from one whose "\r\n"
// ends right after them; the end of the text ends a line too.
std::string_view source_lines::line_part(int number, int column, std::size_t count,
                                         bool& more) {
  shown_.clear();
  more = false;
  std::uint64_t at = 0;
  if (!find_start(number, at) || column < 1) return {};
  at += static_cast<std::uint64_t>(column - 1);
  std::size_t wanted = count + 2;
  bool ended = false;
  for (std::string_view bytes = bytes_at(at); !bytes.empty() && shown_.size() < wanted;
       bytes = bytes_at(at)) {
    bytes = bytes.substr(0, wanted - shown_.size());
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    if (found != nullptr) {
      shown_.append(bytes.data(), static_cast<const char*>(found) - bytes.data());
      ended = true;
      break;
    }
    shown_.append(bytes);
    at += bytes.size();
  }
  bool line_ended = ended || shown_.size() < wanted;
  if (line_ended && !shown_.empty() && shown_.back() == '\r') shown_.pop_back();
  if (shown_.size() > count) {
    more = true;
    shown_.resize(count);
  }
  return shown_;
}

std::optional<std::uint64_t> source_lines::offset_of(int number, int column) {
  std::uint64_t at = 0;
  if (!find_start(number, at)) return std::nullopt;
  return at + static_cast<std::uint64_t>(column - 1);
}

// Lines already scanned start from the mark before them, or from the line
// found last when it is nearer; the others from the last line scanned,
// marking the lines passed on the way.
bool source_lines::find_start(int number, std::uint64_t& offset) {
  if (number < 1) return false;
  if (marks_.empty()) {
    marks_.push_back(start_);
    scanned_line_ = 1;
    scanned_start_ = start_;
  }
  int line = scanned_line_;
  std::uint64_t at = scanned_start_;
  if (number <= scanned_line_) {
    auto mark = static_cast<std::size_t>((number - 1) / every);
    line = static_cast<int>(mark) * every + 1;
    at = marks_[mark];
    if (found_line_ <= number && found_line_ > line) {
      line = found_line_;
      at = found_start_;
    }
  }
  while (line < number) {
    std::string_view bytes = bytes_at(at);
    if (bytes.empty()) return false;
    const char* next = bytes.data();
    const char* end = next + bytes.size();
    while (line < number) {
      const void* found = std::memchr(next, '\n', static_cast<std::size_t>(end - next));
      if (found == nullptr) break;
      next = static_cast<const char*>(found) + 1;
      ++line;
      if (line <= scanned_line_) continue;
      scanned_line_ = line;
      scanned_start_ = at + static_cast<std::uint64_t>(next - bytes.data());
      if ((line - 1) % every == 0) marks_.push_back(scanned_start_);
    }
    at += static_cast<std::uint64_t>((line < number ? end : next) - bytes.data());
  }
  found_line_ = number;
  found_start_ = at;
  offset = at;
  return true;
}

// A file that cannot be read again shows no more lines.
std::string_view source_lines::bytes_at(std::uint64_t offset) {
  if (kept_) return offset < text_.size() ? text_.substr(offset) : std::string_view{};
  if (offset >= window_start_ && offset < window_start_ + window_.size())
    return std::string_view(window_).substr(offset - window_start_);
  window_.resize(window_size);
  ssize_t count;
  do {
    count = ::pread(fd_, window_.data(), window_size, static_cast<off_t>(offset));
  } while (count < 0 && errno == EINTR);
  window_.resize(count < 0 ? 0 : static_cast<std::size_t>(count));
  window_start_ = offset;
  return window_;
}
