#pragma once

#include <filesystem>
#include <vector>

#include "types/rilk_value.h"

namespace Rilk {

/// The leaf values of a value: lists are flattened to any depth, any other value stands
/// for itself (the same object, not a copy). A null value gives nothing.
std::vector<RilkValuePtr> flattenValue(const RilkValuePtr& value);

/// Appends the full path of every path string in the value, walking lists recursively.
/// Other values add nothing.
void collectPaths(const RilkValuePtr& value, std::vector<std::filesystem::path>& paths);

}  // namespace Rilk
