// The buffered sink of standard output: every byte the program prints on
// standard output goes through it, and nothing is flushed per token.
#pragma once

#include <cstddef>
#include <string_view>

namespace output {

/// Appends the bytes to standard output's buffer.
void write(std::string_view text);

/// Room for `size` (at most 4096) more bytes in the buffer: write there, then
/// hand the end of what was written to `commit`.
char* claim(std::size_t size);
void commit(char* end);

/// Writes out everything buffered; fails with `System_error` when standard
/// output refuses it.
void flush();

}  // namespace output
