#include "tools/c3/c3_matcher.h"

#include <utility>

#include "tools/subject_wanted.h"
#include "tools/version_rules.h"
#include "util/ci_string.h"

namespace Rilk {

namespace {

const char* const kVersion = "toolchain_version";
const char* const kMinVersion = "toolchain_min_version";

}  // namespace

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

C3Matcher::Misfit C3Matcher::misfitOf(const TargetContext& target) const {
    if (target.hasVariable(kVersion) &&
        !Util::CiString::equal(target.getString(kVersion), version_)) {
        return Misfit::Version;
    }
    if (target.hasVariable(kMinVersion) &&
        !meetsMinVersion(version_, target.getString(kMinVersion))) {
        return Misfit::MinVersion;
    }
    return Misfit::None;
}

MatchResult C3Matcher::match(const TargetContext& target, const ToolScores&) const {
    if (!builder_ || misfitOf(target) != Misfit::None) return {};
    MatchResult result = builder_->selectMatchSubject(target);
    if (result.status == BuildPossible && target.hasVariable(kMinVersion)) {
        result.variables["toolchain_min_version"].kind = ExactMatch;
    }
    return result;
}

ToolRefusal C3Matcher::refusal(const TargetContext& target) const {
    ToolRefusal refusal = Matcher::refusal(target);
    if (!builder_) return refusal;
    refusal.known += builder_->knownVariables(target);
    refusal.known += outputOnlySubjects(C3Builder::subjectNames(), target);
    const std::string toolchain = "its toolchain (c3c, version " + version_ + ")";
    switch (misfitOf(target)) {
        case Misfit::Version:
            refusal.reason = toolchain + " is not of the toolchain_version \"" +
                             target.getString(kVersion) + "\" that the target asks for";
            break;
        case Misfit::MinVersion:
            refusal.reason = toolchain + " is older than the toolchain_min_version \"" +
                             target.getString(kMinVersion) + "\" that the target asks for";
            break;
        case Misfit::None:
            refusal.reason = subjectWanted(builder_->name(), C3Builder::subjectNames(), target);
            break;
    }
    return refusal;
}

std::shared_ptr<Builder> C3Matcher::builderFor(const TargetContext& target) const {
    if (!builder_ || builder_->selectMatchSubject(target).status != BuildPossible) return nullptr;
    return builder_;
}

}  // namespace Rilk
