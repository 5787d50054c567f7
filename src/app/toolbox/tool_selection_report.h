#pragma once

#include "tools/builder.h"
#include "tools/matcher.h"
#include "types/rilk_context_types.h"

namespace Rilk {

/// Merges the chosen tool's variables (its criteria, then its required variables, each in
/// name order) and its conditional blocks into the target context. A variable the target
/// already gives a value keeps it ("?="); failures were reported by the merge and are
/// dropped.
void applyToolDefaults(const Rilk::Matcher& tool, Rilk::TargetContext& target);

/// Prints at level `Verbose` which tool builds the target and, per variable that the builder
/// matched, whether fully or partly ("  - no matched variables" when none).
void reportToolSelection(const Rilk::Matcher& tool, const Rilk::Builder& builder,
                         const Rilk::TargetContext& target);

/// Prints at level `Trace` which inherited variables the builder claims. Changes nothing: the
/// target context keeps every inherited variable.
void reportClaimedVariables(const Rilk::Builder& builder, const Rilk::Context& inherited);

}  // namespace Rilk
