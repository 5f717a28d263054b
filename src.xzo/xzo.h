// The reading entry points: the token listing of -tlex, and the parser run
// over a channel or a text.
#pragma once

#include <string>
#include <string_view>

/// An open input: its name, for the system's error texts, and its descriptor.
struct input_channel {
  std::string name;
  int fd;
};

/// Reads the whole channel; the text lives until the process ends. Fails with
/// `System_error` when a read fails.
std::string_view read_channel(const input_channel& channel);

/// Prints the token listing of the channel on standard output.
void lexemize(const input_channel& channel);

/// Prints the token listing of the text on standard output.
void lexemize_string(std::string_view text);
