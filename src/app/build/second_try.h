#pragma once

#include <string>

#include "types/assignment.h"
#include "types/context.h"

namespace Rilk {

/// Adds an assignment that failed when first merged into `context` once more. An error of
/// its value becomes a `VariableError` naming `variable` (as the user reaches it) with
/// `what` ("the inherited value cannot be joined to the target's") before the value's own
/// message; variable errors and loops pass as they are.
void addOnSecondTry(Rilk::Context& context, const Rilk::Assignment& assignment,
                    const std::string& variable, const std::string& what);

}  // namespace Rilk
