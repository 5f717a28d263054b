#include "xzoAst.h"

#include <cstdio>

std::string zoint_of_int(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  return text;
}
