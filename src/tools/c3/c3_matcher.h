#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tools/c3/c3_builder.h"
#include "tools/c3/c3_toolchain.h"
#include "tools/matcher.h"

namespace Rilk {

/// The matcher of one "c3c" tool definition: the one C3 compiler chosen for it and the
/// builder that drives that compiler, shared by every target (and every clone).
///
/// A target matches when the builder finds a match subject in it, after the target's own
/// toolchain_version (compared literally, ignoring case) and toolchain_min_version have
/// accepted the compiler's version.
class C3Matcher : public Matcher {
public:
    /// A matcher with no compiler yet, from the C3 tables and the tool definition.
    C3Matcher(std::string name, const AssignmentTable& assignments,
              const AssignmentTable& mustAssignments);

    /// Takes `chosen` as the tool's compiler and makes its builder.
    void useCompiler(const C3Candidate& chosen);

    std::unique_ptr<Matcher> clone() const override;
    MatchResult match(const TargetContext& target, const ToolScores& scores = {}) const override;
    /// The shared builder when the builder finds a match subject in the target, else null.
    std::shared_ptr<Builder> builderFor(const TargetContext& target) const override;
    /// How many of the target's variables the builder knows, and that the compiler is not
    /// of the version the target wants, or which variables would make the target a subject.
    ToolRefusal refusal(const TargetContext& target) const override;

    const std::string& version() const { return version_; }
    const std::filesystem::path& compilerPath() const { return compilerPath_; }
    const std::filesystem::path& binDirectory() const { return binDirectory_; }

private:
    C3Matcher(const C3Matcher&) = default;

    /// Which of the target's wants the compiler's version fails, checked in this order.
    enum class Misfit { None, Version, MinVersion };
    Misfit misfitOf(const TargetContext& target) const;

    std::string version_;
    std::filesystem::path compilerPath_;
    std::filesystem::path binDirectory_;
    std::shared_ptr<C3Builder> builder_;
};

/// The "c3c" tool factory: finds the C3 compilers that the definition's toolchain_path,
/// toolchain_version and toolchain_min_version want and returns the matcher of the newest
/// (the first found among equal versions). Throws `RilkException` without a
/// toolchain_path and when no compiler qualifies.
C3Matcher* createC3Matcher(const Util::CiString& toolName, const AssignmentTable& assignments,
                           const AssignmentTable& mustAssignments);

}  // namespace Rilk
