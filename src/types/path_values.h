#pragma once

#include "types/kinded_value.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace Rilk {

/// Calls `visit` with every path value in `value`, walking lists and nested blocks: a
/// dependency's outputs reach a target as a nested block, and the files they name are
/// inputs like any other. Nested blocks may refer to each other; a file list this deep has
/// ended long before, so the walk stops 64 levels down.
template <class Visit>
void forEachPathValue(const RilkValuePtr& value, Visit&& visit, int depth = 0) {
    if (!value || depth > 64) return;
    const KindedValue kinded(*value);
    if (const auto* path = kinded.as<RilkPathString>()) {
        visit(*path);
    } else if (const auto* list = kinded.as<RilkList>()) {
        for (const RilkValuePtr& element : list->elements()) {
            forEachPathValue(element, visit, depth + 1);
        }
    } else if (const auto* block = kinded.as<RilkContext>()) {
        if (!block->context()) return;
        for (const auto& [name, stored] : block->context()->assignments) {
            forEachPathValue(stored.value, visit, depth + 1);
        }
    }
}

}  // namespace Rilk
