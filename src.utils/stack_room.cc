#include "stack_room.h"

#include "errors.h"

namespace stack_room {

std::uintptr_t floor_address = 0;

void keep_above(const void* lowest, std::uintptr_t size) {
  floor_address = reinterpret_cast<std::uintptr_t>(lowest) + size;
}

void exhausted() {
  throw Fatal_error("Out_of_memory", "the input nests too deeply for the work stack");
}

}  // namespace stack_room
