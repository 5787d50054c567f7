#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/compiler_info.h"
#include "tools/gnu/gnu_tool.h"
#include "tools/matcher.h"

namespace Rilk {

/// The registered form of one installed GNU toolchain: it owns the toolchain's compiler
/// record and its tools (GCC, G++, AR, LD, then OBJCOPY when the toolchain has one).
///
/// A target is first checked against the toolchain (ARCH, TOOLCHAIN_TRIPLET, wanted
/// versions of the target and of the tool definition); `match` then reports the first
/// tool that can build it, `builderFor` hands out the tool whose declared variables score
/// best for it (ties keep the earlier tool). Clones share the tools.
class GNUMatcher : public Matcher {
public:
    GNUMatcher(std::string name, const AssignmentTable& assignments,
               const AssignmentTable& mustAssignments);

    std::unique_ptr<Matcher> clone() const override;
    MatchResult match(const TargetContext& target, const ToolScores& scores = {}) const override;
    std::shared_ptr<Builder> builderFor(const TargetContext& target) const override;
    /// The tool that knows most of the target's variables, and the variables that would
    /// make the target its subject; or that the toolchain does not fit the target.
    ToolRefusal refusal(const TargetContext& target) const override;

    /// The chosen toolchain.
    CompilerInfo toolchain;
    /// The tools, in the order GCC, G++, AR, LD, OBJCOPY.
    std::vector<std::shared_ptr<GNUTool>> tools;

private:
    /// Which wants the toolchain fails, checked in this order.
    enum class Misfit { None, TargetWants, DefinitionVersion, DefinitionMinVersion };
    /// The first of the target's wants (ARCH, TOOLCHAIN_TRIPLET, toolchain_version,
    /// toolchain_min_version), then the tool definition's own versions, that the toolchain
    /// does not meet; `Misfit::None` when it meets them all.
    Misfit misfitOf(const TargetContext& target) const;
    /// Whether the toolchain passes the target's and the definition's wants.
    bool acceptsToolchain(const TargetContext& target) const {
        return misfitOf(target) == Misfit::None;
    }
    /// Why a toolchain that does not meet `misfit` cannot build the target.
    std::string misfitReason(Misfit misfit) const;
    /// Whether the target holds a variable (output variables too) that makes targets match
    /// subjects of some tool.
    bool holdsSubjectName(const TargetContext& target) const;
};

/// Whether the value's text equals `text` ignoring case; a list contains it when one of
/// its elements (nested lists walked) does. A null value contains nothing.
bool valueContains(const RilkValuePtr& value, const std::string& text);

}  // namespace Rilk
