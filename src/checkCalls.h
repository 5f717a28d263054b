// The operators that a package calls anywhere, gathered in one walk before
// its nodes are checked, so that what depends on being called can be said at
// the node itself.
#pragma once

#include <string_view>

#include "flat_map.h"
#include "xzoAst.h"

using called_set = flat_map<std::string_view, bool, short_text_hash>;

/// Adds the name of every operator called in the package's constants, field
/// defaults, equations and assertions.
void gather_called(const package& pack, called_set& called);
