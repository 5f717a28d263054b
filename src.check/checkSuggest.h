// The "did you mean" of zocheck: a declared name one edit away from a name
// that is not declared.
#pragma once

#include <string_view>

/// Whether `a` becomes `b` by one insertion, deletion or replacement of a
/// byte, or by the exchange of two neighbouring bytes.
bool one_edit_apart(std::string_view a, std::string_view b);
