// The reading entry points: the token listing of -tlex, and the parser run
// over a channel or a text, with or without the places that diagnostics show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xzoAst.h"
#include "xzoRun.h"

class reading_places;
struct node_start;

/// An open input: its name, for the system's error texts, and its descriptor.
struct input_channel {
  std::string name;
  int fd;
};

/// Reads the whole channel; the text lives as long as the run. Fails with
/// `System_error` when a read fails.
std::string_view read_channel(const input_channel& channel, zo_run& run);

/// Reads a whole zo file into the run's package, holding only a little of its
/// text at a time; with `trace_lines`, shows each line reached on standard
/// error. Fails with `Syntax_error`, with the `Compile_error` of a repeated
/// declaration, or as `read_channel`.
void read(const input_channel& channel, zo_run& run, bool trace_lines = false);

/// Reads one expression followed by the end of the text; fails with
/// `Syntax_error`. A copy of the text is made in the run's arena for the
/// positions made from it.
const val_exp* exp_of_string(std::string_view text);

/// Reads the whole text as a zo file into `pack`, keeping places in `places`
/// and recording repeated declarations there instead of failing on them.
/// Fails with `Syntax_error`, placed at the token where reading stopped, or
/// with `Lexical_error`; what was read before stays in `pack`.
void read_checked(std::string_view text, package& pack, reading_places& places);

/// The same for a channel read once from start to end, holding only a little
/// of its text at a time; the run keeps the text that the positions need.
void read_checked(const input_channel& channel, zo_run& run, package& pack,
                  reading_places& places);

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

/// The same, the reading going on from `last_made`, the last position made
/// before it, where a stop before the text's first token is reported; the
/// reading leaves there the last position it made.
const val_exp* exp_of_string(std::string_view text, text_origin origin,
                             lexeme& last_made);

/// Prints the token listing of the channel on standard output; with
/// `trace_lines`, shows each line reached on standard error.
void lexemize(const input_channel& channel, bool trace_lines = false);

/// Prints the token listing of the text, its tokens placed as they stand in
/// the file; leaves in `last_made` the last position made, if any.
void lexemize_string(std::string_view text, text_origin origin, lexeme& last_made);
