#include "types/resolution_guard.h"

#include <fmt/format.h>

#include <utility>
#include <vector>

#include "types/resolution_limits.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

struct InProgress {
    const void* subject;
    std::string name;
};

/// The subjects being resolved on this thread, outermost first.
thread_local std::vector<InProgress> inProgress;

/// The recursion levels open on this thread.
thread_local std::size_t recursionLevels = 0;

[[noreturn]] void throwLoop(const std::string& name) {
    VisitingChain chain;
    for (auto entry = inProgress.rbegin(); entry != inProgress.rend(); ++entry) {
        chain.names.push_back(entry->name);
        chain.lookup.insert(entry->name);
    }
    throw LoopFoundException(name, chain);
}

}  // namespace

std::string resolutionSubject() {
    if (inProgress.empty()) return "Value";
    return "Variable '" + inProgress.back().name + "'";
}

RecursionLevel::RecursionLevel(const std::string& subject) {
    if (recursionLevels >= ResolutionLimits::maxRecursion) {
        throw LimitExceeded(subject, fmt::format("nested too deeply: more than {} levels of "
                                                 "variables, indices, references and groups",
                                                 ResolutionLimits::maxRecursion));
    }
    ++recursionLevels;
}

RecursionLevel::~RecursionLevel() { --recursionLevels; }

ResolutionGuard::ResolutionGuard(const void* subject, const std::string& name) {
    for (const InProgress& entry : inProgress) {
        if (entry.subject == subject) throwLoop(name);
    }
    if (inProgress.size() >= ResolutionLimits::maxDepth) {
        throw LimitExceeded("Variable '" + name + "'",
                            fmt::format("nested too deeply: more than {} variables resolve "
                                        "through each other",
                                        ResolutionLimits::maxDepth));
    }
    inProgress.push_back({subject, name});
}

ResolutionGuard::~ResolutionGuard() { inProgress.pop_back(); }

}  // namespace Rilk
