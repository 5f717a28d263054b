#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "errors.h"

namespace output {

namespace {
constexpr std::size_t capacity = 1 << 16;
char buffer[capacity];
std::size_t used = 0;

void write_all(const char* bytes, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(STDOUT_FILENO, bytes, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw System_error{std::string("standard output: ") + std::strerror(errno)};
    }
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
}
}  // namespace

void write(std::string_view text) {
  if (text.size() > capacity - used) {
    flush();
    if (text.size() >= capacity) {
      write_all(text.data(), text.size());
      return;
    }
  }
  std::memcpy(buffer + used, text.data(), text.size());
  used += text.size();
}

char* claim(std::size_t size) {
  if (size > capacity - used) flush();
  return buffer + used;
}

void commit(char* end) { used = static_cast<std::size_t>(end - buffer); }

void flush() {
  std::size_t pending = used;
  used = 0;
  write_all(buffer, pending);
}

}  // namespace output
