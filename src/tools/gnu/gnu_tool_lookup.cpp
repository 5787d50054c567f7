#include "tools/gnu/gnu_tool_lookup.h"

#include <set>
#include <system_error>
#include <vector>

#include "tools/compiler_identity.h"
#include "tools/normalized_path.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

bool fileExists(const fs::path& file) {
    std::error_code ec;
    return fs::exists(file, ec);
}

/// The four plain candidates of a tool, in lookup order.
std::vector<fs::path> plainCandidates(const fs::path& binDirectory, const std::string& prefix,
                                      const std::string& tool) {
    return {binDirectory / (prefix + "-" + tool), binDirectory / (prefix + "-" + tool + ".exe"),
            binDirectory / tool, binDirectory / (tool + ".exe")};
}

/// The version and its shorter forms: 12.2.0, 12.2, 12.
std::vector<std::string> versionForms(std::string version) {
    std::vector<std::string> forms;
    while (!version.empty()) {
        forms.push_back(version);
        const std::size_t dot = version.rfind('.');
        if (dot == std::string::npos) break;
        version.erase(dot);
    }
    return forms;
}

}  // namespace

fs::path findGnuTool(const fs::path& binDirectory, const std::string& prefix,
                     const std::string& tool) {
    for (const fs::path& candidate : plainCandidates(binDirectory, prefix, tool)) {
        if (fileExists(candidate)) return candidate;
    }
    return {};
}

fs::path findToolchainCompiler(const CompilerInfo& toolchain, const std::string& tool,
                               std::vector<CompilerCandidate>* others) {
    std::vector<fs::path> candidates = plainCandidates(toolchain.binDir, toolchain.prefix, tool);
    for (const std::string& version : versionForms(toolchain.version)) {
        candidates.push_back(toolchain.binDir / (toolchain.prefix + "-" + tool + "-" + version));
        candidates.push_back(toolchain.binDir / (tool + "-" + version));
    }
    const std::string kind = tool == "g++" ? "g\\+\\+" : tool;
    std::set<std::string> tried;
    for (const fs::path& candidate : candidates) {
        if (!fileExists(candidate) || !insertNormalizedPath(tried, candidate)) continue;
        const auto identity = identifyCompiler(candidate, kind);
        if (!identity) continue;
        if (Util::CiString::equal(identity->machine, toolchain.prefix) &&
            Util::CiString::equal(identity->version, toolchain.version)) {
            return candidate;
        }
        if (others) others->push_back({identity->version, identity->machine, candidate.string()});
    }
    return {};
}

}  // namespace Rilk
