// The "c3c" tool type: its factory, registered before `main` runs.

#include <memory>

#include "tools/c3/c3_compiler_search.h"
#include "tools/c3/c3_matcher.h"
#include "tools/tool_factory_registry.h"
#include "tools/toolchain_choice.h"

namespace Rilk {

C3Matcher* createC3Matcher(const Util::CiString& toolName, const AssignmentTable& assignments,
                           const AssignmentTable& mustAssignments) {
    auto matcher = std::make_unique<C3Matcher>(toolName.str(), assignments, mustAssignments);
    const ToolchainWants wants(assignments);
    const std::filesystem::path& root = requiredToolchainPath(wants, "C3Matcher");
    const std::vector<C3Candidate> found = findC3Compilers(wants, root);
    matcher->useCompiler(chooseNewestToolchain(found, "C3"));
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
