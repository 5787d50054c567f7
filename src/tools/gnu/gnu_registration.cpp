#include "tools/gnu/gnu_registration.h"

#include <system_error>
#include <vector>

#include "tools/compiler_discovery.h"
#include "tools/gnu/gnu_ar.h"
#include "tools/gnu/gnu_gcc.h"
#include "tools/gnu/gnu_ld.h"
#include "tools/gnu/gnu_objcopy.h"
#include "tools/gnu/gnu_tool_lookup.h"
#include "tools/tool_factory_registry.h"
#include "tools/toolchain_choice.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void failMissingTool(const CompilerInfo& toolchain, const std::string& tool) {
    throw RilkException("Required GNU tool missing: '" +
                        (toolchain.binDir / (toolchain.prefix + "-" + tool)).string() + "'.");
}

template <typename Tool>
void addTool(GNUMatcher& matcher, const BuilderTables& tables, fs::path executable) {
    matcher.tools.push_back(
        std::make_shared<Tool>(tables, matcher.toolchain, std::move(executable)));
}

void addTools(GNUMatcher& matcher) {
    const CompilerInfo& toolchain = matcher.toolchain;
    std::error_code ec;
    if (toolchain.binDir.empty() || !fs::is_directory(toolchain.binDir, ec)) {
        throw RilkException("GNU binary directory not found: '" + toolchain.binDir.string() + "'.");
    }
    const fs::path gcc = findToolchainCompiler(toolchain, "gcc");
    if (gcc.empty()) failMissingTool(toolchain, "gcc");
    const fs::path gpp = findToolchainCompiler(toolchain, "g++");
    if (gpp.empty()) failMissingTool(toolchain, "g++");
    const fs::path ar = findGnuTool(toolchain.binDir, toolchain.prefix, "ar");
    if (ar.empty()) failMissingTool(toolchain, "ar");
    const fs::path ld = findGnuTool(toolchain.binDir, toolchain.prefix, "ld");
    if (ld.empty()) failMissingTool(toolchain, "ld");
    addTool<GNU_GCC>(matcher, gnuGccTables(), gcc);
    addTool<GNU_GPP>(matcher, gnuGppTables(), gpp);
    addTool<GNU_AR>(matcher, gnuArTables(), ar);
    addTool<GNU_LD>(matcher, gnuLdTables(), ld);
    const fs::path objcopy = findGnuTool(toolchain.binDir, toolchain.prefix, "objcopy");
    if (!objcopy.empty()) addTool<GNU_OBJCOPY>(matcher, gnuObjcopyTables(), objcopy);
}

/// The toolchains under `root` whatever a definition wants, as "<triple> <version>".
std::vector<std::string> present(const fs::path& root) {
    std::vector<std::string> names;
    for (const CompilerInfo& toolchain : findCompilersUnder(ToolchainWants(), root)) {
        names.push_back(toolchain.prefix + " " + toolchain.version);
    }
    return names;
}

/// Registers the "gnu-gcc" factory during static initialisation.
struct RegisterGNUMatcher {
    RegisterGNUMatcher() {
        registerToolFactory(
            "gnu-gcc", "NULL",
            [](Util::CiString name, AssignmentTable assignments,
               AssignmentTable mustAssignments) -> Matcher* {
                return createGNUMatcher(name.str(), assignments, mustAssignments).release();
            });
    }
};

const RegisterGNUMatcher registerGNUMatcher;

}  // namespace

std::unique_ptr<GNUMatcher> createGNUMatcher(const std::string& toolName,
                                             const AssignmentTable& assignments,
                                             const AssignmentTable& mustAssignments) {
    auto matcher = std::make_unique<GNUMatcher>(toolName, assignments, mustAssignments);
    const ToolchainWants wants(assignments);
    const fs::path& root = requiredToolchainPath(wants, "GNUMatcher");
    const std::vector<CompilerInfo> found = findCompilersUnder(wants, root);
    if (found.empty()) {
        failNoToolchainFound("GNU", noToolchainReason(wants, root, "GNU", present(root)));
    }
    matcher->toolchain = chooseNewestToolchain(found, "GNU");
    log(LogLevel::Trace, "Compiler at {} added.\n", root.string());
    addTools(*matcher);
    return matcher;
}

}  // namespace Rilk
