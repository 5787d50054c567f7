#include "types/expansion_guard.h"

#include <algorithm>
#include <vector>

#include "types/rilk_errors.h"

namespace Rilk {

namespace {

struct ActiveResolution {
    const void* value;
    std::size_t lookupsBefore;
};

// Per thread: each thread resolves its own values.
thread_local std::vector<ActiveResolution> activeResolutions;
thread_local std::vector<std::string> lookups;

[[noreturn]] void throwLoop(const ActiveResolution& first, const std::string& text) {
    VisitingChain chain;
    for (std::size_t i = lookups.size(); i > first.lookupsBefore; --i) {
        chain.names.push_back(lookups[i - 1]);
        chain.lookup.insert(lookups[i - 1]);
    }
    const std::string term = chain.names.empty() ? text : chain.names.front();
    throw LoopFoundException(term, chain);
}

}  // namespace

ResolutionGuard::ResolutionGuard(const void* value, const std::string& text) {
    const auto same = [value](const ActiveResolution& a) { return a.value == value; };
    const auto found = std::find_if(activeResolutions.begin(), activeResolutions.end(), same);
    if (found != activeResolutions.end()) throwLoop(*found, text);
    activeResolutions.push_back({value, lookups.size()});
}

ResolutionGuard::~ResolutionGuard() { activeResolutions.pop_back(); }

LookupScope::LookupScope(const std::string& name) { lookups.push_back(name); }

LookupScope::~LookupScope() { lookups.pop_back(); }

}  // namespace Rilk
