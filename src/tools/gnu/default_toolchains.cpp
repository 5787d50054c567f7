#include "tools/gnu/default_toolchains.h"

#include <memory>
#include <set>

#include "tools/compiler_discovery.h"
#include "tools/normalized_path.h"
#include "types/name_chars.h"
#include "types/rilk_string.h"

namespace Rilk {

namespace {

BuildToolDefinition definitionOf(const CompilerInfo& record) {
    const std::string version = record.version.empty() ? "0" : record.version;
    const std::string name =
        "default_gnu_" + sanitizeToolchainName(record.arch) + "_" + sanitizeToolchainName(version);
    const std::pair<const char*, std::string> fields[] = {
        {"toolchain_name", name},
        {"tool_type", "gnu-gcc"},
        {"toolchain_version", version},
        {"prefix", record.prefix},
        {"arch", record.arch},
        {"os", record.os},
        {"abi", record.abi},
        {"toolchain_path", record.binDir.string()},
    };
    std::vector<Assignment> assignments;
    for (const auto& [variable, text] : fields) {
        assignments.emplace_back(variable, makeString(text), AssignType::Set, AssignModifier::None);
    }
    return {name, std::make_shared<ContextTemplate>(std::move(assignments))};
}

}  // namespace

std::string sanitizeToolchainName(const std::string& text) {
    if (text.empty()) return "unknown";
    std::string name = text;
    for (char& c : name) {
        if (!isNameChar(c)) c = '_';
    }
    return name;
}

std::vector<BuildToolDefinition> findDefaultToolchains(
    const std::vector<std::filesystem::path>& roots) {
    std::vector<BuildToolDefinition> definitions;
    std::set<std::string> keys;
    for (const std::filesystem::path& root : roots) {
        for (const CompilerInfo& record : findCompilersUnder(ToolchainWants(), root)) {
            const std::string key =
                normalizedPathText(record.binDir) + "|" + record.prefix + "|" + record.version;
            if (keys.insert(key).second) definitions.push_back(definitionOf(record));
        }
    }
    return definitions;
}

}  // namespace Rilk
