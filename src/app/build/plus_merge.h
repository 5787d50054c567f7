#pragma once

#include <string>
#include <vector>

#include "tools/builder.h"
#include "types/rilk_context_types.h"

/// A '+' dependency's output whose append waits for the second try, with the dependency.
struct PendingPlusMerge {
    Rilk::Assignment append;
    Rilk::QualifiedTargetName dependency;
};

/// The name under which the dependency output store puts a dependency's outputs: its alias,
/// else its target name within the target's own unit and namespace, else its unit's name.
const std::string& nestedOutputName(const Rilk::Dependency& dependency,
                                    const Rilk::QualifiedTargetName& targetName,
                                    const Rilk::QualifiedTargetName& dependencyName);

/// Merges the outputs of a '+' dependency into the target context with "+=", as copies, so
/// that appending to the target's variables never changes the outputs the target also holds
/// under the dependency's name.
///
/// A merged variable named like the nested context that holds the same outputs (the
/// dependency's alias, its target name, or its unit's name, as the dependency output store
/// put them) wins over that context: it gets the collision `Warning` other dependency
/// outputs get, unless `warned` says that name was warned about already, and is set to the
/// output's value; it stays an output, or none, as it would be without the nested context:
/// the target's own variable of that name (`warned`) keeps its modifier. Any other merge
/// that cannot be made (a text into a nested context, a nested context into a text) raises
/// `RilkException` naming the target, the dependency and the variable (so does a failed
/// second try, `retryPlusMerge`). An append of a path to the one path of a variable that
/// `tool` (the target's builder; may be null) takes as a list of paths is warned of
/// (`warnPathMergedIntoPath`) and made as the language makes it. Returns the appends that
/// raised `BadOperation`, for the second try.
std::vector<PendingPlusMerge> mergePlusOutputs(Rilk::Context& target,
                                               const Rilk::QualifiedTargetName& targetName,
                                               const Rilk::Dependency& dependency,
                                               const Rilk::QualifiedTargetName& dependencyName,
                                               const Rilk::Context& output, bool warned,
                                               const Rilk::Builder* tool = nullptr);

/// Applies a pending append once the target's variables are resolved; an error raises
/// `RilkException` naming the variable, the dependency and the target, as a first try does.
void retryPlusMerge(Rilk::Context& target, const Rilk::QualifiedTargetName& targetName,
                    const PendingPlusMerge& pending);
