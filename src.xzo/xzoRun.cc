#include "xzoRun.h"

#include <utility>

#include "scratch_list.h"

zo_run::zo_run() : outer_arena_(std::exchange(current_arena, &memory_)) {}

// The spare cells of the scratch lists lie in the arena that goes.
zo_run::~zo_run() {
  forget_scratch_cells();
  current_arena = outer_arena_;
}

std::string_view zo_run::keep(std::unique_ptr<char[]> bytes, std::size_t size) {
  return {texts_.emplace_back(std::move(bytes)).get(), size};
}
