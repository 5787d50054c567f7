#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/work_item.h"
#include "types/assignment.h"
#include "types/rilk_value.h"

namespace Rilk {

/// What a compiler-style builder plans for a target: its work items and the target
/// variables they depend on (the first two fields of a `BuildPlan`).
struct PlannedWork {
    std::vector<WorkItem> workItems;
    std::vector<Assignment> context;
};

/// A variable that a builder derives from each value of an input, such as the object file
/// of a source file.
struct IntermediateSpec {
    /// The name of the derived variable.
    std::string name;
    /// The derived value of one input value, or null for none.
    std::function<RilkValuePtr(const RilkValuePtr&)> make;
};

}  // namespace Rilk
