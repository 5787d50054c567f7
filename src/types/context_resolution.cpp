#include "types/context.h"
#include "types/resolution_guard.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// `resolveValue` without taking a reference to the value it is given.
RilkValuePtr resolvedForm(const RilkValuePtr& value) {
    if (auto* resolvable = asResolvable(value.get())) return resolvable->resolve();
    return value;
}

}  // namespace

RilkValuePtr resolveValue(RilkValuePtr value) { return resolvedForm(value); }

RilkValuePtr Context::resolveAssignment(Assignment& stored) {
    if (stored.resolved) return stored.value;
    const ResolutionGuard guard(&stored, stored.name);
    RilkValuePtr resolved = resolvedForm(stored.value);
    stored.replaceValue(resolved);
    stored.resolved = true;
    return resolved;
}

void Context::resolveAll() {
    log(1, "Resolving variables.\n");
    for (auto& [name, stored] : assignments) resolveAssignment(stored);
}

}  // namespace Rilk
