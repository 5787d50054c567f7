#pragma once

#include <cstdint>
#include <map>

#include "util/ci_string.h"
#include "util/logger.h"

namespace Rilk {

/// How well a target's value of one variable fits what a builder asks for.
enum MatchKind : std::int32_t {
    NoMatch = 0,
    PartialMatch = 1,  ///< the builder knows the variable; the values differ
    ExactMatch = 2,    ///< the values are equal, or both are absent
};

/// Whether a tool can build a target: 1 BuildPossible, any other value BuildImpossible.
enum MatchStatus : std::int32_t {
    BuildImpossible = 0,
    BuildPossible = 1,
};

/// The classification of one target variable for one builder.
struct VariableMatch {
    MatchKind kind = NoMatch;
    /// 1 when the builder consumes the variable, else 0.
    std::int32_t claimed = 0;
};

/// What a matcher or builder says about one target: one entry per classified variable and
/// whether the target can be built. A new result is empty with status BuildImpossible.
struct MatchResult {
    std::map<Util::CiString, VariableMatch> variables;
    MatchStatus status = BuildImpossible;
};

/// Whether tool choice traces every variable it classifies; the trace is printed below the
/// lowest message level. Without it, a matcher's result for a target it cannot build is
/// only its status, and a matcher may leave its variables unclassified.
inline bool tracingMatches() { return verbosity <= 0; }

}  // namespace Rilk
