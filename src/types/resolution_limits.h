#pragma once

#include <cstddef>
#include <string>

#include "types/rilk_errors.h"

namespace Rilk {

/// Bounds on what one resolution may do. Real projects stay far below every one of them;
/// hostile input reaches a clear error instead of a crash, a hang or an exhausted memory.
struct ResolutionLimits {
    /// Variables (or indexed elements) resolving through each other at one time. One level
    /// costs a few kilobytes of stack in a sanitizer build; the limit keeps a chain well
    /// inside the main thread's 8 MB stack there.
    static constexpr std::size_t maxDepth = 1000;
    /// Recursion levels over user input of all kinds at one time on one thread (variables,
    /// identifiers inside indices, references, cross-expansion groups): each kind has its own
    /// limit, this one bounds inputs that mix them.
    static constexpr std::size_t maxRecursion = 4000;
    /// Indices nested inside each other in one identifier ("a[b[c[...]]]").
    static constexpr std::size_t maxIdentifierDepth = 1000;
    /// Cross-expansion groups expanded inside each other.
    static constexpr std::size_t maxGroupDepth = 1000;
    /// References in one text that a replacement forms with the text around it ("$" and
    /// "{name}" meeting); each such pass may form the next one.
    static constexpr std::size_t maxJoinedReferences = std::size_t{1} << 16;
    /// Bytes of one text, and of all texts one cross expansion yields together.
    static constexpr std::size_t maxTextBytes = std::size_t{16} << 20;
    /// Texts one cross expansion yields, and paths one glob yields.
    static constexpr std::size_t maxResults = std::size_t{1} << 20;
};

/// A resolution that went past one of the bounds above: "<subject> <what>: <reason>".
class LimitExceeded : public RilkException {
public:
    LimitExceeded(const std::string& subject, const std::string& reason)
        : RilkException(subject + " " + reason) {}
};

}  // namespace Rilk
