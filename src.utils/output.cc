#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "errors.h"

namespace output {

namespace buffer_state {
char bytes[capacity];
std::size_t used = 0;
}  // namespace buffer_state

namespace {
using namespace buffer_state;

void write_all(const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(STDOUT_FILENO, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw System_error{std::string("standard output: ") + std::strerror(errno)};
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}
}  // namespace

void write_any(std::string_view text) {
  if (text.size() > capacity - used) {
    flush();
    if (text.size() >= capacity) {
      write_all(text.data(), text.size());
      return;
    }
  }
  std::memcpy(bytes + used, text.data(), text.size());
  used += text.size();
}

char* claim(std::size_t size) {
  if (size > capacity - used) flush();
  return bytes + used;
}

void commit(char* end) { used = static_cast<std::size_t>(end - bytes); }

void flush() {
  std::size_t pending = used;
  used = 0;
  write_all(bytes, pending);
}

}  // namespace output
