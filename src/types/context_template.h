#pragma once

#include <vector>

#include "types/assignment.h"
#include "types/condition.h"
#include "types/context_fwd.h"

namespace Rilk {

/// A block of assignments and conditional blocks as written, from which contexts are
/// made. The assignments keep source order (a name may occur several times). Shared
/// through shared pointers; targets derive from it.
class ContextTemplate {
public:
    ContextTemplate() = default;
    /// A template of these assignments (and conditions), e.g. a tool's default variables.
    explicit ContextTemplate(std::vector<Assignment> assignments,
                             std::vector<Condition> conditions = {})
        : conditions(std::move(conditions)), assignments(std::move(assignments)) {}
    ContextTemplate(const ContextTemplate&) = default;
    ContextTemplate(ContextTemplate&&) = default;
    ContextTemplate& operator=(const ContextTemplate&) = default;
    ContextTemplate& operator=(ContextTemplate&&) = default;
    virtual ~ContextTemplate() = default;

    /// A new context holding clones of the template's values, the assignments applied in
    /// order, and the conditional blocks bound to it. Two contexts made from one template
    /// never share a variable's value object.
    virtual ContextPtr createContext() const;

    std::vector<Condition> conditions;
    std::vector<Assignment> assignments;
};

}  // namespace Rilk
