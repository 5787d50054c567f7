#include "tools/compiler_identity.h"

#include "tools/compiler_name_pattern.h"
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

std::string compilerName(const fs::path& file) {
    return std::string(compilerNameOf(file.filename().native()));
}

std::string_view compilerNameOf(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || fileName == "..") return fileName;
    if (!Util::CiString::equal(fileName.substr(dot), ".exe")) return fileName;
    return fileName.substr(0, dot);
}

std::optional<CompilerIdentity> identifyCompiler(const fs::path& file, const std::string& kind) {
    std::optional<std::string> machine = probe(file, "-dumpmachine");
    if (!machine || machine->empty()) return std::nullopt;
    std::string version = probe(file, "-dumpfullversion").value_or("");
    if (version.empty()) version = probe(file, "-dumpversion").value_or("");
    if (version.empty()) version = CompilerNamePattern(kind).version(compilerName(file)).value_or("");
    return CompilerIdentity{std::move(*machine), std::move(version)};
}

}  // namespace Rilk
