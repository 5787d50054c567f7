#include <fmt/format.h>

#include <exception>
#include <new>
#include <string>

#include "types/context.h"
#include "types/resolution_guard.h"
#include "types/rilk_context_value.h"
#include "types/resolution_limits.h"
#include "types/rilk_base_string.h"
#include "types/rilk_errors.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"
#include "util/logger.h"
#include "util/shown_text.h"

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

/// The written text of a string value, shortened to a line's worth and with control
/// characters shown as escapes, for an error about its variable; empty for other values.
std::string writtenText(const RilkValuePtr& value) {
    if (!valueCast<const RilkBaseString>(value.get())) return {};
    constexpr std::size_t kShown = 100;
    return Util::shownText(value->toDisplayString(), kShown);
}

/// Rethrows the error in flight, made into a `VariableError` of `stored` where it does not
/// say whose value failed. Passed on as they are: an inner variable's error, loops and
/// limits (which name the variable already), `BadOperation` (which a merge sets aside for
/// a later try) and broken invariants.
[[noreturn]] void rethrowForVariable(const Assignment& stored) {
    try {
        throw;
    } catch (const VariableError&) {
        throw;
    } catch (const LoopFoundException&) {
        throw;
    } catch (const LimitExceeded&) {
        throw;
    } catch (const BadOperation&) {
        throw;
    } catch (const InternalError&) {
        throw;
    } catch (const RilkException& error) {
        throw VariableError(stored.name, error.message(), writtenText(stored.value));
    } catch (const ParseError& error) {
        throw VariableError(
            stored.name,
            fmt::format("{} (at position {} of the name)", error.message, error.position),
            writtenText(stored.value));
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        throw VariableError(stored.name, error.what(), writtenText(stored.value));
    }
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
    RilkValuePtr resolved;
    try {
        resolved = resolvedStoredForm(stored.value);
    } catch (...) {
        rethrowForVariable(stored);
    }
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
