#include "verbose.h"

#include <cstdarg>
#include <cstdio>

namespace verbose {

namespace {
int current_level = 0;
}

void set(int level) { current_level = level; }

int level() { return current_level; }

void printf(int message_level, const char* format, ...) {
  if (!shown(message_level)) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fflush(stderr);
}

}  // namespace verbose
