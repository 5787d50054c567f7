#pragma once

#include <memory>

#include "types/assignment.h"
#include "types/condition.h"
#include "types/context_template.h"
#include "types/rilk_value.h"

namespace Rilk {

// Exact comparisons of model objects, for checking that a written file reads back as what
// was meant: same value types, texts equal byte for byte, path strings naming the same full
// path, lists element by element, assignments with the same name, operator and modifier,
// blocks with the same assignments and conditional blocks in the same order. Unlike the
// language's own equality they ignore no letter case and never throw.

bool sameValue(const RilkValuePtr& a, const RilkValuePtr& b);
bool sameAssignment(const Assignment& a, const Assignment& b);
bool sameTemplate(const std::shared_ptr<ContextTemplate>& a,
                  const std::shared_ptr<ContextTemplate>& b);

}  // namespace Rilk
