#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/gnu/gnu_tool.h"

namespace Rilk {

/// The GNU archiver ("ar"): makes the static library named by the output name (by default
/// the target's name; with ".a" when OUTPUT_NAME is an empty text) from OBJS with "rcs".
/// The old archive is removed before the job runs, so that objects dropped from OBJS do
/// not linger in it.
class GNU_AR : public GNUTool {
public:
    using GNUTool::GNUTool;

    /// "lib" and "lib_name" naming the archive.
    Context collectOutputs(const Context& job, int jobResult) override;
    /// A subject when it has OBJS (not as output variables).
    std::span<const Util::CiString> subjectNames() const override;
    /// As every tool's, and an OUTPUT_NAME ending in ".a" (exactly) is reported as an exact
    /// match.
    MatchResult matchResult(const Context& target, bool isSubject) const override;

protected:
    PlannedWork planWork(const TargetContext& target) const override;
    std::vector<std::string> createCommandLines(const std::string& targetName,
                                                const Context& job) const override;
    std::string emptyNameExtension(const Context& target) const override;
    /// Removes the archive left by an earlier build.
    void onOutputsPrepared(Context& firstJob) override;
};

}  // namespace Rilk
