#include "checkSuggest.h"

#include <utility>

bool one_edit_apart(std::string_view a, std::string_view b) {
  if (a == b) return false;
  if (a.size() > b.size()) std::swap(a, b);
  if (b.size() - a.size() > 1) return false;
  std::size_t first = 0;
  while (first < a.size() && a[first] == b[first]) ++first;
  if (a.size() < b.size()) return a.substr(first) == b.substr(first + 1);
  if (a.substr(first + 1) == b.substr(first + 1)) return true;
  return first + 1 < a.size() && a[first] == b[first + 1] && a[first + 1] == b[first] &&
         a.substr(first + 2) == b.substr(first + 2);
}
