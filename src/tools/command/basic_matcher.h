#pragma once

#include <memory>

#include "tools/matcher.h"

namespace Rilk {

/// The matcher of the command tool (tool type "command"): it can build every target, and
/// scores none of its variables. Whether a target is a candidate at all is decided by the
/// required variable "cmdline", which a target must define unless the tool gives a default.
class BasicMatcher : public Matcher {
public:
    using Matcher::Matcher;

    std::unique_ptr<Matcher> clone() const override;
    /// BuildPossible with no classified variables, for every target.
    MatchResult match(const TargetContext& target, const ToolScores& scores = {}) const override;
    /// A new command builder; the target is not consulted.
    std::shared_ptr<Builder> builderFor(const TargetContext& target) const override;
};

}  // namespace Rilk
