#pragma once

#include <string>
#include <vector>

#include "tools/gnu/gnu_tool.h"

namespace Rilk {

/// The GNU object copier ("objcopy"): converts INPUT with OBJCOPY_FLAGS into the file
/// named by the output name (by default the target's name), given as the copier's second
/// positional argument.
class GNU_OBJCOPY : public GNUTool {
public:
    using GNUTool::GNUTool;

    /// "output" and "output_name" naming the file written.
    Context collectOutputs(const Context& job, int jobResult) override;
    /// A subject when it has INPUT (not as output variables).
    std::span<const Util::CiString> subjectNames() const override;

protected:
    PlannedWork planWork(const TargetContext& target) const override;
    std::vector<std::string> createCommandLines(const std::string& targetName,
                                                const Context& job) const override;
};

}  // namespace Rilk
