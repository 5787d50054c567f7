#include "tools/compiler_directory_scan.h"

#include <optional>
#include <regex>
#include <set>
#include <system_error>

#include "tools/normalized_path.h"
#include "tools/tool_probe.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

std::string kindPattern(const std::string& kind) {
    if (Util::CiString::equal(kind, "gcc")) return "(?:gcc|cc)";
    if (kind == "g\\+\\+") return "(?:g\\+\\+|c\\+\\+)";
    return kind;
}

/// Regular files (links followed) and symbolic links, dangling ones included.
bool isCompilerFileCandidate(const fs::directory_entry& entry) {
    std::error_code ec;
    if (entry.is_symlink(ec)) return true;
    if (ec) return false;
    const bool regular = entry.is_regular_file(ec);
    return regular && !ec;
}

std::string compilerName(const fs::path& file) {
    if (Util::CiString::equal(file.extension().native(), ".exe")) return file.stem().native();
    return file.filename().native();
}

/// The text a probe printed when it succeeded; nothing when it failed.
std::optional<std::string> probe(const fs::path& file, const std::string& option) {
    ToolRunResult result = runToolCapture(file, option);
    if (result.exitStatus != 0) return std::nullopt;
    return result.output.native();
}

std::string probeVersion(const fs::path& file, const std::string& name,
                         const std::regex& versionPattern) {
    std::string version = probe(file, "-dumpfullversion").value_or("");
    if (version.empty()) version = probe(file, "-dumpversion").value_or("");
    std::smatch match;
    if (version.empty() && std::regex_match(name, match, versionPattern)) version = match[1];
    return version;
}

}  // namespace

std::vector<CompilerCandidate> scanCompilerDirectory(std::string kind, const fs::path& directory) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) return {};
    const std::string pattern = kindPattern(kind);
    const std::regex namePattern("^(?:.+-)?" + pattern + "(?:-[0-9]+(?:\\.[0-9]+)*)?$");
    const std::regex versionPattern("^(?:.+-)?" + pattern + "-([0-9]+(?:\\.[0-9]+)*)$");

    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, ec);
    if (ec) return {};
    std::vector<CompilerCandidate> candidates;
    std::set<std::string> seenPaths;
    // Every file lies in `directory`, so triple and version alone tell compilers apart.
    std::set<std::string> keys;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path& file = it->path();
        if (!isCompilerFileCandidate(*it) || !insertNormalizedPath(seenPaths, file)) continue;
        const std::string name = compilerName(file);
        if (!std::regex_match(name, namePattern)) continue;
        const std::optional<std::string> machine = probe(file, "-dumpmachine");
        if (!machine || machine->empty()) continue;
        std::string version = probeVersion(file, name, versionPattern);
        if (!keys.insert(*machine + "|" + version).second) continue;
        candidates.push_back({std::move(version), *machine, file.native()});
    }
    return candidates;
}

}  // namespace Rilk
