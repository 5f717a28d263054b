// The checks of a package's declarations: repeated names, undeclared and
// recursive types, constants and field defaults whose values do not have
// their types, and the operators' signatures.
#pragma once

#include <memory>

#include "checkScope.h"

/// Reports every error of the declarations and gives the package's
/// environment: every type resolved (unknown where in error), every constant
/// declared, every operator's signature; fills the scope's package names.
std::unique_ptr<env> check_package(check_scope& scope);
