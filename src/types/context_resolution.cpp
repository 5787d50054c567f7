#include "types/context.h"
#include "types/resolution_guard.h"
#include "types/rilk_context_value.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// `resolveValue` without taking a reference to the value it is given.
RilkValuePtr resolvedForm(const RilkValuePtr& value) {
    if (auto* resolvable = asResolvable(value.get())) return resolvable->resolve();
    return value;
}

/// `resolvedForm` of a stored value, which the assignment drops for the result. A string
/// that nothing else holds (no other pointer, not shared between contexts) can become its
/// own result, sparing a new value and the destruction of the old one; nobody can tell.
RilkValuePtr resolvedStoredForm(const RilkValuePtr& value) {
    if (!value) return value;
    const ValueKind kind = value->kind();
    if (kind != ValueKind::String && kind != ValueKind::PathString) return resolvedForm(value);
    auto& string = static_cast<RilkString&>(*value);
    if (string.isShared() || value.use_count() != 1) return string.resolve();
    RilkValuePtr result = string.resolveInPlace();
    return result ? result : value;
}

/// Whether the value is its own resolved form without any lookup: a plain text shared
/// between contexts (what `RilkString::resolve` gives for it).
bool resolvesToItself(const RilkValuePtr& value) {
    if (!value || value->kind() != ValueKind::String) return false;
    const auto& string = static_cast<const RilkString&>(*value);
    return string.isShared() && string.isPlainText();
}

/// The value a variable takes over from the variable its identifier names, made its own so
/// that an append to either never reaches the other: a plain text is shared and copied on
/// its first append (`markShared`), any other value is copied.
RilkValuePtr ownCopy(const RilkValuePtr& value) {
    if (!value) return value;
    if (value->kind() == ValueKind::String) {
        auto& text = static_cast<RilkString&>(*value);
        if (text.isShared() || text.isPlainText()) {
            text.markShared();
            return value;
        }
    }
    return independentCopy(value);
}

}  // namespace

RilkValuePtr resolveValue(RilkValuePtr value) { return resolvedForm(value); }

RilkValuePtr Context::resolveAssignment(Assignment& stored) {
    if (stored.resolved) return stored.value;
    if (resolvesToItself(stored.value)) {
        // Nothing is looked up, so no loop can pass through here: of what entering the
        // guard checks, only the room for one more variable remains.
        ResolutionGuard::checkRoom(stored.name);
        stored.resolved = true;
        return stored.value;
    }
    const ResolutionGuard guard(&stored, stored.name);
    const bool takenOver = stored.value && stored.value->kind() == ValueKind::Identifier;
    RilkValuePtr resolved = resolvedStoredForm(stored.value);
    if (takenOver) resolved = ownCopy(resolved);
    // A value that is its own resolved form needs no replacing.
    if (resolved != stored.value) stored.replaceValue(resolved);
    stored.resolved = true;
    return resolved;
}

void Context::resolveAll() {
    log(LogLevel::Trace, "Resolving variables.\n");
    for (auto& [name, stored] : assignments) resolveAssignment(stored);
}

}  // namespace Rilk
