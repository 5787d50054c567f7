#pragma once

#include <cstdint>
#include <map>

#include "tools/match_result.h"
#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace Rilk {

/// One variable a builder understands, with the builder's own value for it and the points
/// it is worth when a matcher scores its builders for a target, by match kind.
struct VariableSpec {
    /// Compared with the target's value when the match kind is decided; null in every
    /// built-in table.
    RilkValuePtr defaultValue;
    std::int32_t noMatchWeight = 0;
    std::int32_t partialMatchWeight = 1;
    std::int32_t exactMatchWeight = 2;
    /// Whether the builder takes the value as a list of paths, one argument each (a single
    /// path with a blank in it stays one argument).
    bool pathList = false;

    /// The weight that belongs to a match kind (0, 1 or 2); 0 for any other kind.
    std::int32_t weightFor(MatchKind kind) const;
};

/// The declared variables of a builder, by name.
using VariableSpecTable = std::map<Util::CiString, VariableSpec>;

}  // namespace Rilk
