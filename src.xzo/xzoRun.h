// One run of a program over zo text and the memory it owns: the arena that
// every tree of the run is made in, the package read, and the texts read,
// which the positions point into. A program's driver makes one
// run per input; when the run goes, everything read and made in it goes, so
// that the next run starts from nothing.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "arena.h"
#include "lexeme.h"
#include "xzoAst.h"

class zo_run {
 public:
  /// A run that has read nothing yet. Trees are made in its arena while it
  /// lives; a run made while another lives hands the arena back when it goes.
  zo_run();
  ~zo_run();
  zo_run(const zo_run&) = delete;
  zo_run& operator=(const zo_run&) = delete;

  /// The arena of the run's trees.
  arena& memory() { return memory_; }
  /// The package that the run's file is read into.
  package& pack() { return pack_; }
  /// Where the texts that the run reads with their positions are made.
  position_store& positions() { return positions_; }
  /// The last position that the run's readings made, `dummy` before any: a
  /// reading that stops before its first token reports its stop there.
  lexeme& last_made() { return last_made_; }

  /// Keeps the first `size` bytes of `bytes` as long as the run, for the
  /// positions made from them, and gives them back as a text.
  std::string_view keep(std::unique_ptr<char[]> bytes, std::size_t size);

 private:
  arena memory_;
  arena* outer_arena_;
  package pack_;
  position_store positions_{memory_};
  lexeme last_made_ = dummy;
  std::vector<std::unique_ptr<char[]>> texts_;
};
