#include "tools/compiler_identity.h"

#include <regex>

#include "tools/probe_cache.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// The text a probe printed when it succeeded; nothing when it failed.
std::optional<std::string> probe(const fs::path& file, const std::string& option) {
    ToolRunResult result = probeTool(file, option);
    if (result.exitStatus != 0) return std::nullopt;
    return result.output.native();
}

}  // namespace

std::string compilerKindPattern(const std::string& kind) {
    if (Util::CiString::equal(kind, "gcc")) return "(?:gcc|cc)";
    if (kind == "g\\+\\+") return "(?:g\\+\\+|c\\+\\+)";
    return kind;
}

std::string compilerName(const fs::path& file) {
    if (Util::CiString::equal(file.extension().native(), ".exe")) return file.stem().native();
    return file.filename().native();
}

std::optional<CompilerIdentity> identifyCompiler(const fs::path& file, const std::string& kind) {
    std::optional<std::string> machine = probe(file, "-dumpmachine");
    if (!machine || machine->empty()) return std::nullopt;
    std::string version = probe(file, "-dumpfullversion").value_or("");
    if (version.empty()) version = probe(file, "-dumpversion").value_or("");
    if (version.empty()) {
        const std::regex versionPattern("^(?:.+-)?" + compilerKindPattern(kind) +
                                        "-([0-9]+(?:\\.[0-9]+)*)$");
        const std::string name = compilerName(file);
        std::smatch match;
        if (std::regex_match(name, match, versionPattern)) version = match[1];
    }
    return CompilerIdentity{std::move(*machine), std::move(version)};
}

}  // namespace Rilk
