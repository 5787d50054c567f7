#include "tools/c3/c3_matcher.h"

#include <utility>

#include "tools/version_rules.h"
#include "util/ci_string.h"

namespace Rilk {

C3Matcher::C3Matcher(std::string toolName, const AssignmentTable& assignments,
                     const AssignmentTable& mustAssignments)
    : Matcher(std::move(toolName), c3MatcherTables().criteria, c3MatcherTables().required,
              assignments, mustAssignments) {}

void C3Matcher::useCompiler(const C3Candidate& chosen) {
    version_ = chosen.version;
    compilerPath_ = chosen.compilerPath;
    binDirectory_ = chosen.binDirectory;
    builder_ = std::make_shared<C3Builder>(version_, compilerPath_, binDirectory_);
}

std::unique_ptr<Matcher> C3Matcher::clone() const {
    return std::unique_ptr<Matcher>(new C3Matcher(*this));
}

MatchResult C3Matcher::match(const TargetContext& target, const ToolScores&) const {
    if (!builder_) return {};
    if (target.hasVariable("toolchain_version") &&
        !Util::CiString::equal(target.getString("toolchain_version"), version_)) {
        return {};
    }
    const bool hasMinimum = target.hasVariable("toolchain_min_version");
    if (hasMinimum && !meetsMinVersion(version_, target.getString("toolchain_min_version"))) {
        return {};
    }
    MatchResult result = builder_->selectMatchSubject(target);
    if (result.status == BuildPossible && hasMinimum) {
        result.variables["toolchain_min_version"].kind = ExactMatch;
    }
    return result;
}

std::shared_ptr<Builder> C3Matcher::builderFor(const TargetContext& target) const {
    if (!builder_ || builder_->selectMatchSubject(target).status != BuildPossible) return nullptr;
    return builder_;
}

}  // namespace Rilk
