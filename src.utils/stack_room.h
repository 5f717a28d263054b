// The room left on the work stack. The driver marks how low the stack may
// grow; every recursion that follows the depth of the input's trees asks for
// room before it goes one level deeper, so that an input nesting deeper than
// the stack holds ends in a diagnostic instead of overflowing the stack.
#pragma once

#include <cstdint>

namespace stack_room {

/// The lowest address a recursion may reach; 0 lets it go anywhere.
extern std::uintptr_t floor_address;

/// Marks the lowest `size` bytes above `lowest` as out of reach: they are
/// kept for the calls that do not recurse and for reporting the failure.
void keep_above(const void* lowest, std::uintptr_t size);

/// Throws the "Out_of_memory" failure of a stack that is too small.
[[noreturn]] void exhausted();

/// Ends the run with that failure when the caller's frame is below the floor.
inline void check() {
  if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < floor_address)
    exhausted();
}

}  // namespace stack_room
