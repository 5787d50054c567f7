#include "tools/gnu/gnu_registration.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include <fmt/format.h>

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

std::string missingToolText(const CompilerInfo& toolchain, const std::string& tool) {
    return "Required GNU tool missing: '" +
           (toolchain.binDir / (toolchain.prefix + "-" + tool)).string() + "'.";
}

[[noreturn]] void failMissingTool(const CompilerInfo& toolchain, const std::string& tool) {
    throw RilkException(missingToolText(toolchain, tool));
}

/// The versions, in discovery order and each once, of the toolchains `found` whose gcc and
/// g++ are both there: those a definition's toolchain_version can choose.
std::vector<std::string> completeVersions(const std::vector<CompilerInfo>& found) {
    std::vector<std::string> versions;
    for (const CompilerInfo& toolchain : found) {
        if (std::find(versions.begin(), versions.end(), toolchain.version) != versions.end()) {
            continue;
        }
        if (!findToolchainCompiler(toolchain, "gcc").empty() &&
            !findToolchainCompiler(toolchain, "g++").empty()) {
            versions.push_back(toolchain.version);
        }
    }
    return versions;
}

/// The compiler `tool` ("gcc" or "g++") of the toolchain's version is not there. When
/// other versions of it are, the message names them and what to do, so that a toolchain
/// whose gcc is newer than its g++ is not taken for one without g++.
[[noreturn]] void failMissingCompiler(const CompilerInfo& toolchain, const std::string& tool,
                                      const std::vector<CompilerCandidate>& others,
                                      const std::vector<CompilerInfo>& found) {
    if (others.empty()) failMissingTool(toolchain, tool);
    std::string seen;
    for (const CompilerCandidate& other : others) {
        seen += fmt::format("{}'{}' is {}{}", seen.empty() ? "" : ", ", other.path, other.machine,
                            other.version.empty() ? " of no known version" : " " + other.version);
    }
    std::string versions;
    for (const std::string& version : completeVersions(found)) {
        versions += fmt::format("{}\"{}\"", versions.empty() ? "" : ", ", version);
    }
    const std::string chosen = toolchain.prefix + " " + toolchain.version;
    throw RilkException(fmt::format(
        "{} The toolchain chosen, {} (found as '{}'), has no {} of its version there: {}. A "
        "toolchain's gcc and g++ must both be of its version: install the {} of {} in '{}', or "
        "choose a version whose gcc and g++ are both there with toolchain_version in the tool's "
        "definition{}.",
        missingToolText(toolchain, tool), chosen, toolchain.compilerPath.string(), tool, seen, tool,
        chosen, toolchain.binDir.string(), versions.empty() ? "" : " (" + versions + ")"));
}

template <typename Tool>
void addTool(GNUMatcher& matcher, const BuilderTables& tables, fs::path executable) {
    matcher.tools.push_back(
        std::make_shared<Tool>(tables, matcher.toolchain, std::move(executable)));
}

void addTools(GNUMatcher& matcher, const std::vector<CompilerInfo>& found) {
    const CompilerInfo& toolchain = matcher.toolchain;
    std::error_code ec;
    if (toolchain.binDir.empty() || !fs::is_directory(toolchain.binDir, ec)) {
        throw RilkException("GNU binary directory not found: '" + toolchain.binDir.string() + "'.");
    }
    std::vector<CompilerCandidate> otherGcc;
    const fs::path gcc = findToolchainCompiler(toolchain, "gcc", &otherGcc);
    if (gcc.empty()) failMissingCompiler(toolchain, "gcc", otherGcc, found);
    std::vector<CompilerCandidate> otherGpp;
    const fs::path gpp = findToolchainCompiler(toolchain, "g++", &otherGpp);
    if (gpp.empty()) failMissingCompiler(toolchain, "g++", otherGpp, found);
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
    addTools(*matcher, found);
    return matcher;
}

}  // namespace Rilk
