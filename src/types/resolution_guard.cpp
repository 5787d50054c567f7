#include "types/resolution_guard.h"

#include <fmt/format.h>

#include <pthread.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "types/resolution_limits.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

/// The name is the guard's caller's, which outlives the guard: keeping a pointer spares a
/// copy of the name on every resolution, and the name is only read to report an error.
struct InProgress {
    const void* subject;
    const std::string* name;
};

/// The subjects being resolved on this thread, outermost first.
thread_local std::vector<InProgress> inProgress;

/// The recursion levels open on this thread.
thread_local std::size_t recursionLevels = 0;

/// The lowest stack address that recursion over user input may reach on this thread: half
/// of the thread's stack stays free for the work done at the deepest level (a sanitizer
/// build uses several times the stack of a release build per call). Null when the system
/// does not say where the stack lies.
const char* findStackFloor() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return nullptr;
    void* lowest = nullptr;
    std::size_t size = 0;
    const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
    pthread_attr_destroy(&attributes);
    return known ? static_cast<char*>(lowest) + size / 2 : nullptr;
}

// Plain thread-local values (no constructor, no destructor) cost no initialisation check on
// each use, which matters here: every variable, reference and group enters a level.
thread_local const char* stackFloorAddress = nullptr;
thread_local bool stackFloorKnown = false;

const char* stackFloor() {
    if (!stackFloorKnown) {
        stackFloorAddress = findStackFloor();
        stackFloorKnown = true;
    }
    return stackFloorAddress;
}

[[noreturn]] void throwLoop(const std::string& name) {
    VisitingChain chain;
    for (auto entry = inProgress.rbegin(); entry != inProgress.rend(); ++entry) {
        chain.names.push_back(*entry->name);
        chain.lookup.insert(*entry->name);
    }
    throw LoopFoundException(name, chain);
}

}  // namespace

std::string resolutionSubject() {
    if (inProgress.empty()) return "Value";
    return "Variable '" + *inProgress.back().name + "'";
}

RecursionLevel::Refusal RecursionLevel::enter() {
    const char* floor = stackFloor();
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (floor != nullptr && here < reinterpret_cast<std::uintptr_t>(floor)) return Refusal::Stack;
    if (recursionLevels >= ResolutionLimits::maxRecursion) return Refusal::Count;
    ++recursionLevels;
    return Refusal::None;
}

std::string RecursionLevel::reason(Refusal refusal) {
    if (refusal == Refusal::Stack) {
        return "nested too deeply: the variables, indices, references and groups need more "
               "stack than this thread has";
    }
    return fmt::format("nested too deeply: more than {} levels of variables, indices, "
                       "references and groups",
                       ResolutionLimits::maxRecursion);
}

RecursionLevel::RecursionLevel() {
    if (const Refusal refusal = enter(); refusal != Refusal::None) {
        throw LimitExceeded(resolutionSubject(), reason(refusal));
    }
}

RecursionLevel::RecursionLevel(std::string_view kind, std::string_view name) {
    if (const Refusal refusal = enter(); refusal != Refusal::None) {
        throw LimitExceeded(fmt::format("{} '{}'", kind, name), reason(refusal));
    }
}

RecursionLevel::~RecursionLevel() { --recursionLevels; }

ResolutionGuard::ResolutionGuard(const void* subject, const std::string& name) {
    for (const InProgress& entry : inProgress) {
        if (entry.subject == subject) throwLoop(name);
    }
    checkRoom(name);
    inProgress.push_back({subject, &name});
}

void ResolutionGuard::checkRoom(const std::string& name) {
    if (inProgress.size() >= ResolutionLimits::maxDepth) {
        throw LimitExceeded("Variable '" + name + "'",
                            fmt::format("nested too deeply: more than {} variables resolve "
                                        "through each other",
                                        ResolutionLimits::maxDepth));
    }
}

ResolutionGuard::~ResolutionGuard() { inProgress.pop_back(); }

}  // namespace Rilk
