#include "tools/compiler_candidate_merge.h"

#include <sstream>
#include <string>

#include "tools/version_rules.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// At least three '-'-separated parts of the triple, as `std::getline` reads them.
std::vector<std::string> tripleParts(const std::string& machine) {
    std::vector<std::string> parts;
    std::istringstream stream(machine);
    for (std::string part; std::getline(stream, part, '-');) parts.push_back(part);
    while (parts.size() < 3) parts.emplace_back();
    return parts;
}

CompilerInfo makeRecord(CompilerCandidate& candidate, const fs::path& toolchainRoot) {
    const std::vector<std::string> parts = tripleParts(candidate.machine);
    CompilerInfo info;
    info.version = std::move(candidate.version);
    info.prefix = std::move(candidate.machine);
    info.arch = parts[0];
    info.os = parts[1];
    info.abi = parts[2];
    info.compilerPath = candidate.path;
    info.binDir = info.compilerPath.parent_path();
    info.toolchainRoot = toolchainRoot;
    return info;
}

/// An empty want takes anything; otherwise the texts must be equal ignoring case.
bool wanted(const std::string& want, const std::string& actual) {
    return want.empty() || Util::CiString::equal(want, actual);
}

bool meetsWants(const ToolchainWants& wants, const CompilerInfo& info) {
    return wanted(wants.arch, info.arch) && wanted(wants.prefix, info.prefix) &&
           wanted(wants.os, info.os) && wanted(wants.abi, info.abi) &&
           (wanted(wants.toolchainVersion, "0") || wanted(wants.toolchainVersion, info.version)) &&
           meetsMinVersion(info.version, wants.toolchainMinVersion);
}

}  // namespace

void mergeCompilerCandidates(const ToolchainWants& wants, const fs::path& toolchainRoot,
                             std::vector<CompilerCandidate> candidates,
                             std::vector<CompilerInfo>& out) {
    for (CompilerCandidate& candidate : candidates) {
        CompilerInfo info = makeRecord(candidate, toolchainRoot);
        if (meetsWants(wants, info)) out.push_back(std::move(info));
    }
}

}  // namespace Rilk
