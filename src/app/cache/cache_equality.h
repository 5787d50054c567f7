#pragma once

#include "types/assignment.h"
#include "types/rilk_value.h"

namespace Rilk {

/// Whether two values are the same for the build cache's "up to date" decision.
///
/// Unlike the language's equality, which ignores letter case, treats a path as equal to
/// whatever names the same file and may throw, this comparison is exact and never throws.
/// Values compare by kind: plain and raw strings by their text, paths by their full path
/// text, integers by number, lists element by element, nested contexts variable by
/// variable, identifiers by their written form. Values of different kinds differ; two nulls
/// are equal.
bool cacheEqual(const RilkValuePtr& a, const RilkValuePtr& b);

/// Names equal ignoring case (as every name), operators and modifiers equal, values
/// `cacheEqual`.
bool cacheEqual(const Assignment& a, const Assignment& b);

}  // namespace Rilk
