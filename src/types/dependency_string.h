#pragma once

#include <string>

#include "types/qualified_target_name.h"

namespace Rilk {

/// The target that a dependency string names: `target`, `unit::target` or
/// `ns/unit::target`, split at the first "::" and, before it, at the first "/" (further
/// separators stay in the unit or the target; nothing is trimmed). Parts not written are
/// empty, meaning those of the depending target. Throws `std::runtime_error` for an empty
/// text and for an empty part around a separator that is written.
QualifiedTargetName parseDependencyString(const std::string& text);

}  // namespace Rilk
