// The buffered sink of standard output: every byte the program prints on
// standard output goes through it, and nothing is flushed per token.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace output {

namespace buffer_state {
inline constexpr std::size_t capacity = 1 << 16;
extern char bytes[capacity];
extern std::size_t used;
}  // namespace buffer_state

/// Appends the bytes to standard output's buffer, whatever their length.
void write_any(std::string_view text);

/// Appends the bytes to standard output's buffer. Most pieces are a name or a
/// symbol of a few bytes: they are copied in place as two overlapping words,
/// or byte by byte, rather than by a call.
[[gnu::always_inline]] inline void write(std::string_view text) {
  using namespace buffer_state;
  std::size_t size = text.size();
  if (size > 16 || size > capacity - used) return write_any(text);
  char* out = bytes + used;
  const char* in = text.data();
  used += size;
  if (size >= 8) {
    std::memcpy(out, in, 8);
    std::memcpy(out + size - 8, in + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(out, in, 4);
    std::memcpy(out + size - 4, in + size - 4, 4);
  } else if (size > 0) {
    out[0] = in[0];
    out[size / 2] = in[size / 2];
    out[size - 1] = in[size - 1];
  }
}

/// Room for `size` (at most 4096) more bytes in the buffer: write there, then
/// hand the end of what was written to `commit`.
char* claim(std::size_t size);
void commit(char* end);

/// Writes out everything buffered; fails with `System_error` when standard
/// output refuses it.
void flush();

}  // namespace output
