#pragma once

#include <memory>

#include "tools/matcher.h"

namespace Rilk {

/// The matcher of the no-tool (tool type "no_tool"): it accepts the targets that define
/// "NO_TOOL", which run nothing but still have their dependencies built and their output
/// variables passed on.
class NoToolMatcher : public Matcher {
public:
    using Matcher::Matcher;

    std::unique_ptr<Matcher> clone() const override;
    /// BuildPossible with one exact match for "NO_TOOL" when the target defines it;
    /// otherwise BuildImpossible with no classified variables.
    MatchResult match(const TargetContext& target, const ToolScores& scores = {}) const override;
    /// A new no-tool builder.
    std::shared_ptr<Builder> builderFor(const TargetContext& target) const override;
};

}  // namespace Rilk
