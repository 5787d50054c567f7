#pragma once

#include <string>

#include "app/load/load_options.h"
#include "app/load/workspace.h"

namespace Rilk {

/// Selects the main project's profile that a positional item names (items that name a
/// target are skipped). A second profile fails.
void selectProfiles(Workspace& workspace, const LoadOptions& options);

/// Makes the main project's profile `name` the selected and active one and returns true;
/// false when there is no such profile. Another profile selected before fails; the same
/// one again is accepted when `confirming`.
bool useProfileNamed(Workspace& workspace, const std::string& name, bool confirming);

/// Sorts the positional items out: the first target name becomes the main target, a
/// profile name is confirmed, anything else is parsed as an assignment into
/// `commandLineContext` (an "=" replacing an earlier item's variable whole).
void handlePositionalItems(Workspace& workspace, const LoadOptions& options);

}  // namespace Rilk
