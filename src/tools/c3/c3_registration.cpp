// The "c3c" tool type: its factory, registered before `main` runs.

#include <memory>

#include "tools/c3/c3_compiler_search.h"
#include "tools/c3/c3_matcher.h"
#include "tools/tool_factory_registry.h"
#include "tools/version_rules.h"
#include "types/rilk_errors.h"

namespace Rilk {

C3Matcher* createC3Matcher(const Util::CiString& toolName, const AssignmentTable& assignments,
                           const AssignmentTable& mustAssignments) {
    auto matcher = std::make_unique<C3Matcher>(toolName.str(), assignments, mustAssignments);
    const ToolchainWants wants(assignments);
    if (!wants.toolchainPath) {
        throw RilkException("C3Matcher requires want variable 'toolchain_path'.");
    }
    const std::vector<C3Candidate> found = findC3Compilers(wants, *wants.toolchainPath);
    if (found.empty()) {
        throw RilkException("Couldn't find C3 toolchain from provided 'wants' variables.");
    }
    const C3Candidate* chosen = &found.front();
    for (const C3Candidate& candidate : found) {
        if (compareVersions(candidate.version, chosen->version) == 1) chosen = &candidate;
    }
    matcher->useCompiler(*chosen);
    return matcher.release();
}

namespace {

/// Registers the "c3c" factory during static initialisation.
struct RegisterC3Matcher {
    RegisterC3Matcher() {
        registerToolFactory("c3c", "NULL",
                            [](Util::CiString name, AssignmentTable assignments,
                               AssignmentTable mustAssignments) -> Matcher* {
                                return createC3Matcher(name, assignments, mustAssignments);
                            });
    }
};

const RegisterC3Matcher registerC3Matcher;

}  // namespace

}  // namespace Rilk
