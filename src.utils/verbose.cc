#include "verbose.h"

#include <cstdarg>
#include <cstdio>

void verbosity::printf(int message_level, const char* format, ...) const {
  if (!shown(message_level)) return;
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fflush(stderr);
}
