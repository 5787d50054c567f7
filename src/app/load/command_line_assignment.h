#pragma once

#include "types/assignment.h"
#include "types/context.h"

namespace Rilk {

/// Applies one command-line assignment to `context`. One with "=" replaces the variable
/// whole (operator, modifier and value; the name keeps its first spelling), so that a
/// later merge by each variable's own operator gives its value to every target, whatever
/// operator a profile or an implicit variable created it with. Any other applies by its
/// own operator (`Context::addAssignment`, mode `kKeepModifier`).
void applyCommandLineAssignment(Context& context, const Assignment& assignment);

/// `applyCommandLineAssignment` for every variable of `commandLine`, in name order; the
/// values are shared with `commandLine` and bound here.
void applyCommandLineAssignments(Context& context, const Context& commandLine);

}  // namespace Rilk
