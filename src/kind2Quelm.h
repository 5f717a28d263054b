// The property harness of -k2quelm: the node that carries kind2 PROPERTY
// annotations, copied under a new name with one more Boolean output, "ID_ok",
// defined as the conjunction of its properties, for the quelm model checker.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "verbose.h"
#include "xzo.h"
#include "xzoAst.h"
#include "xzoUsrOps.h"

namespace kind2_quelm {

/// What the properties' reading shows and goes on from: the verbosity of the
/// traces, and the last position made by the readings before, which a
/// property without any token is reported at and which each reading moves.
struct reading_trace {
  verbosity shown;
  lexeme& last_made;
};

/// Adds the harness node `id` of the first node, in declaration order, that
/// carries a property, and prints the package with it first. `Global_error`
/// "#NO MAIN PRAGMA" when no node carries one, "operator ID already declared"
/// when `id` names an operator; the syntax error of a malformed property; the
/// writer's failures, "flow declared twice: ID_ok" among them.
void doit(package& pack, const std::string& id, user_modes modes, reading_trace& trace);

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
