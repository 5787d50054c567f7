#pragma once

#include "tools/builder.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Warns (level 6) when a '+' merge is about to append `merged`, a path or a list, to a
/// variable of the target (`existing`, null when the target has none of that name) that
/// holds one path and that the target's tool takes as a list of
/// paths (`VariableSpec::pathList`: INCLUDE, LIBPATH ...). The language appends a text to a
/// text with a blank between them, so the tool would get one path with a blank in it; the
/// warning names the variable, the dependency and the target, and says to write the
/// target's value as a list. Only prints; a null `tool` checks nothing.
void warnPathMergedIntoPath(const Assignment* existing, const Assignment& merged,
                            const QualifiedTargetName& targetName,
                            const QualifiedTargetName& dependencyName, const Builder* tool);

}  // namespace Rilk
