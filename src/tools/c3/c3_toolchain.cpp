#include "tools/c3/c3_toolchain.h"

#include <regex>
#include <system_error>

#include "tools/tool_probe.h"
#include "tools/version_rules.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

bool isC3CompilerName(const fs::path& path) {
    const std::string name = path.filename().string();
    return Util::CiString::equal(name, "c3c") || Util::CiString::equal(name, "c3c.exe");
}

std::optional<std::string> versionFromBanner(const std::string& banner) {
    static const std::regex dotted("[0-9]+(?:\\.[0-9]+)+");
    static const std::regex number("[0-9]+");
    std::smatch match;
    if (std::regex_search(banner, match, dotted) || std::regex_search(banner, match, number)) {
        return match.str(0);
    }
    return std::nullopt;
}

std::optional<C3Candidate> probeToolVersion(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    const ToolRunResult run = runToolCapture(path, "--version");
    if (run.exitStatus != 0) return std::nullopt;
    std::optional<std::string> version = versionFromBanner(run.output.string());
    if (!version) return std::nullopt;
    return C3Candidate{std::move(*version), path, path.parent_path()};
}

bool versionMatches(const ToolchainWants& wants, const C3Candidate& candidate) {
    const std::string& wanted = wants.toolchainVersion;
    if (!wanted.empty() && wanted != "0" && !Util::CiString::equal(candidate.version, wanted)) {
        const bool majorOnly = wanted.find('.') == std::string::npos;
        if (!majorOnly || candidate.version.rfind(wanted + ".", 0) != 0) return false;
    }
    return meetsMinVersion(candidate.version, wants.toolchainMinVersion);
}

}  // namespace Rilk
