#include "xzoRun.h"

#include <utility>

zo_run::zo_run() : outer_arena_(std::exchange(current_arena, &memory_)) {}

zo_run::~zo_run() { current_arena = outer_arena_; }

std::string_view zo_run::keep(std::unique_ptr<char[]> bytes, std::size_t size) {
  return {texts_.emplace_back(std::move(bytes)).get(), size};
}
