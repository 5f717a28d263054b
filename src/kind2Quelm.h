// The property harness of -k2quelm: the node that carries kind2 PROPERTY
// annotations, copied under a new name with one more Boolean output, "ID_ok",
// defined as the conjunction of its properties, for the quelm model checker.
#pragma once

#include <string>

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

}  // namespace kind2_quelm
