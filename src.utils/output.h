// The buffered sink of standard output: every byte the program prints on
// standard output goes through it, and nothing is flushed per token.
#pragma once

#include <cstddef>
#include <string_view>

namespace output {

/// Appends the bytes to standard output's buffer.
void write(std::string_view text);

/// Appends one byte.
void put(char byte);

/// Appends `value` in decimal, right-aligned in `width` places.
void put_int(long long value, int width = 0);

/// Writes out everything buffered; fails with `System_error` when standard
/// output refuses it.
void flush();

}  // namespace output
