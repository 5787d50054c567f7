#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "types/resolution_limits.h"

namespace Rilk {

/// Marks one variable (or one indexed element) as being resolved on this thread for the
/// guard's scope. Entering a subject that is already being resolved further up means the
/// subject needs itself to resolve: the guard raises `LoopFoundException` with the
/// subject's name as the causing term and the names being resolved, innermost first, as
/// the chain. This bounds every resolution by the number of variables involved. More than
/// `ResolutionLimits::maxDepth` subjects at once raise `LimitExceeded` naming the subject.
/// The subject of a limit error raised while resolving: "Variable '<name>'" for the
/// innermost variable being resolved on this thread, or "Value" when there is none.
std::string resolutionSubject();

/// Counts one level of recursion over user input on this thread for its scope. Beyond
/// `ResolutionLimits::maxRecursion` levels, or below half of the thread's stack, it raises
/// `LimitExceeded` with its subject, which is only formed then.
class RecursionLevel {
public:
    /// The subject is `resolutionSubject()`.
    RecursionLevel() {
        if (!enterQuickly()) enterOrThrow();
    }
    /// The subject is "<kind> '<name>'".
    RecursionLevel(std::string_view kind, std::string_view name) {
        if (!enterQuickly()) enterOrThrow(kind, name);
    }
    ~RecursionLevel() { --levels_; }
    RecursionLevel(const RecursionLevel&) = delete;
    RecursionLevel& operator=(const RecursionLevel&) = delete;

private:
    /// Counts the level when the stack floor is known and neither it nor the count is in
    /// the way; anything else is left to `enter`. Inline, since every variable, reference
    /// and group enters a level.
    static bool enterQuickly() {
        const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        if (!floorKnown_ || here < floor_ || levels_ >= ResolutionLimits::maxRecursion) {
            return false;
        }
        ++levels_;
        return true;
    }
    void enterOrThrow();
    void enterOrThrow(std::string_view kind, std::string_view name);

    /// Why a level cannot be entered; `None` when it can.
    enum class Refusal { None, Stack, Count };
    /// Counts the level, or returns why it cannot; the message is only made on refusal.
    static Refusal enter();
    /// The message of the limit error for a refusal.
    static std::string reason(Refusal refusal);

    /// The levels open on this thread.
    static constinit thread_local std::size_t levels_;
    /// The lowest stack address that the levels may reach on this thread (0: any), once
    /// known.
    static constinit thread_local std::uintptr_t floor_;
    static constinit thread_local bool floorKnown_;
};

class ResolutionGuard {
public:
    /// `name` must outlive the guard: it is kept by reference for the error messages.
    ResolutionGuard(const void* subject, const std::string& name);
    ResolutionGuard(const void* subject, std::string&& name) = delete;
    ~ResolutionGuard();
    ResolutionGuard(const ResolutionGuard&) = delete;
    ResolutionGuard& operator=(const ResolutionGuard&) = delete;

    /// Raises what entering a guard for `name` raises when too many subjects are being
    /// resolved already, without entering one.
    static void checkRoom(const std::string& name);
};

}  // namespace Rilk
