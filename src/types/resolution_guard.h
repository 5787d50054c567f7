#pragma once

#include <string>
#include <string_view>

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
    RecursionLevel();
    /// The subject is "<kind> '<name>'".
    RecursionLevel(std::string_view kind, std::string_view name);
    ~RecursionLevel();
    RecursionLevel(const RecursionLevel&) = delete;
    RecursionLevel& operator=(const RecursionLevel&) = delete;

private:
    /// Why a level cannot be entered; `None` when it can.
    enum class Refusal { None, Stack, Count };
    /// Counts the level, or returns why it cannot; the message is only made on refusal.
    static Refusal enter();
    /// The message of the limit error for a refusal.
    static std::string reason(Refusal refusal);
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
