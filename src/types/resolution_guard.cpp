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

constinit thread_local std::size_t RecursionLevel::levels_ = 0;
constinit thread_local std::uintptr_t RecursionLevel::floor_ = 0;
constinit thread_local bool RecursionLevel::floorKnown_ = false;

RecursionLevel::Refusal RecursionLevel::enter() {
    if (!floorKnown_) {
        floor_ = reinterpret_cast<std::uintptr_t>(findStackFloor());
        floorKnown_ = true;
    }
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here < floor_) return Refusal::Stack;
    if (levels_ >= ResolutionLimits::maxRecursion) return Refusal::Count;
    ++levels_;
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

void RecursionLevel::enterOrThrow() {
    if (const Refusal refusal = enter(); refusal != Refusal::None) {
        throw LimitExceeded(resolutionSubject(), reason(refusal));
    }
}

void RecursionLevel::enterOrThrow(std::string_view kind, std::string_view name) {
    if (const Refusal refusal = enter(); refusal != Refusal::None) {
        throw LimitExceeded(fmt::format("{} '{}'", kind, name), reason(refusal));
    }
}

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
