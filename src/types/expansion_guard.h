#pragma once

#include <cstddef>
#include <string>

namespace Rilk {

/// Marks a value's resolution as under way on this thread for the guard's lifetime.
///
/// Resolving a string looks its references up through its resolver, and the resolver may
/// resolve other strings in turn. When that chain comes back to a value whose resolution
/// has not ended yet, nothing can ever end it: the guard refuses the second entry with a
/// `LoopFoundException` that names the variables looked up since the first entry (the
/// newest one as the causing term), instead of recursing until the stack runs out.
class ResolutionGuard {
  public:
    /// `value` only identifies the resolution; `text` is named in the error when the loop
    /// was entered without any variable lookup.
    ResolutionGuard(const void* value, const std::string& text);
    ~ResolutionGuard();
    ResolutionGuard(const ResolutionGuard&) = delete;
    ResolutionGuard& operator=(const ResolutionGuard&) = delete;
};

/// Records the name of the variable a reference or group is looking up while the lookup
/// runs, so that a loop found further down can say which variables it went through.
class LookupScope {
  public:
    explicit LookupScope(const std::string& name);
    ~LookupScope();
    LookupScope(const LookupScope&) = delete;
    LookupScope& operator=(const LookupScope&) = delete;
};

}  // namespace Rilk
