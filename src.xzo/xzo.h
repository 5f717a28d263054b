// The reading entry points: the token listing of -tlex, and the parser run
// over a channel or a text, with or without the places that diagnostics show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xzoAst.h"

class reading_places;
struct node_start;

/// An open input: its name, for the system's error texts, and its descriptor.
struct input_channel {
  std::string name;
  int fd;
};

/// Reads the whole channel; the text lives until the process ends. Fails with
/// `System_error` when a read fails.
std::string_view read_channel(const input_channel& channel);

/// What reading a file gives: the run's package and the store in which every
/// text read is registered.
struct read_result {
  package& pack;
  position_store& positions;
};

/// Reads a whole zo file into the run's package, holding only a little of its
/// text at a time. Fails with `Syntax_error`, with the `Compile_error` of a
/// repeated declaration, or as `read_channel`.
read_result read(const input_channel& channel);

/// Reads one expression followed by the end of the channel; fails as `read`.
const val_exp* exp_of_channel(const input_channel& channel);

/// Reads one expression followed by the end of the text; fails with
/// `Syntax_error`. The text is kept for the positions made from it.
const val_exp* exp_of_string(std::string_view text);

/// Reads the whole text as a zo file into `pack`, keeping places in `places`
/// and recording repeated declarations there instead of failing on them.
/// Fails with `Syntax_error` (at `last_made`) or `Lexical_error`; what was
/// read before stays in `pack`.
void read_checked(std::string_view text, package& pack, reading_places& places);

/// The same for a channel read once from start to end, holding only a little
/// of its text at a time.
void read_checked(const input_channel& channel, package& pack, reading_places& places);

/// Reads into `pack` the node whose declaration starts at `start` and the
/// text at its keyword, up to the end of that node, keeping its places in
/// `places`. Fails as `read_checked`.
void read_node_again(std::string_view text, const node_start& start, package& pack,
                     reading_places& places);

/// The same from the regular file open as `channel`, from byte `offset`.
void read_node_again(const input_channel& channel, std::uint64_t offset,
                     const node_start& start, package& pack, reading_places& places);

/// Where a text read apart from its file stood in it: the line, and the
/// column of the text's first byte.
struct text_origin {
  int line;
  int column;
};

/// Reads as `exp_of_string`, the tokens placed as they stand in the file.
const val_exp* exp_of_string(std::string_view text, text_origin origin);

/// Releases every text read so far, keeping the large buffers for the reading
/// that follows; no position made from them may be used after this.
void forget_texts_read();

/// Prints the token listing of the channel on standard output.
void lexemize(const input_channel& channel);

/// Prints the token listing of the text on standard output.
void lexemize_string(std::string_view text);

/// Prints the token listing of the text, its tokens placed as they stand in
/// the file.
void lexemize_string(std::string_view text, text_origin origin);
