// Private to the property harness and its tests: the two steps of `doit` that
// turn a node's annotations into the one expression its "ID_ok" output is
// defined as.
#pragma once

#include <span>
#include <vector>

#include "kind2Quelm.h"
#include "xzoAst.h"

namespace kind2_quelm {

/// The properties of the annotations, in their order: of every text that
/// begins with "PROPERTY ", what lies before its first ";", read as an
/// expression placed where it stands in the file. Fails with `Syntax_error`
/// for a property that is not one expression.
std::vector<const val_exp*> filter_property_pragmas(std::span<const pragma> pragmas,
                                                    reading_trace& trace);

/// The conjunction of the expressions, nested to the right; there is at least
/// one.
const val_exp* make_and(std::span<const val_exp* const> props);

}  // namespace kind2_quelm
