#include "tools/toolchain_choice.h"

#include <set>
#include <system_error>

#include "types/rilk_errors.h"

namespace Rilk {

const std::filesystem::path& requiredToolchainPath(const ToolchainWants& wants,
                                                   const std::string& matcherClass) {
    if (!wants.toolchainPath) {
        throw RilkException(matcherClass + " requires want variable 'toolchain_path'.");
    }
    return *wants.toolchainPath;
}

void failNoToolchainFound(const std::string& family) {
    throw RilkException("Couldn't find " + family + " toolchain from provided 'wants' variables.");
}

void failNoToolchainFound(const std::string& family, const std::string& reason) {
    throw RilkException("Couldn't find " + family +
                        " toolchain from provided 'wants' variables: " + reason + ".");
}

namespace {

/// The wants that set a condition, as "arch arm, toolchain_version 1.2.3".
std::string conditionsOf(const ToolchainWants& wants) {
    std::string text;
    const auto add = [&text](const char* name, const std::string& value) {
        if (value.empty()) return;
        text += (text.empty() ? "" : ", ") + std::string(name) + " " + value;
    };
    add("prefix", wants.prefix);
    add("arch", wants.arch);
    add("os", wants.os);
    add("abi", wants.abi);
    if (wants.toolchainVersion != "0") add("toolchain_version", wants.toolchainVersion);
    if (wants.toolchainMinVersion != "0") {
        add("toolchain_min_version", wants.toolchainMinVersion);
    }
    return text;
}

/// The toolchains named once each, the first five, then how many more.
std::string listed(const std::vector<std::string>& present) {
    constexpr std::size_t kNamed = 5;
    std::set<std::string> seen;
    std::string text;
    std::size_t more = 0;
    for (const std::string& toolchain : present) {
        if (!seen.insert(toolchain).second) continue;
        if (seen.size() > kNamed) {
            ++more;
            continue;
        }
        text += (text.empty() ? "" : ", ") + toolchain;
    }
    if (more > 0) text += " and " + std::to_string(more) + " more";
    return text;
}

}  // namespace

std::string noToolchainReason(const ToolchainWants& wants, const std::filesystem::path& root,
                              const std::string& family, const std::vector<std::string>& present) {
    std::error_code error;
    if (!std::filesystem::exists(root, error)) {
        return "its toolchain_path '" + root.string() + "' does not exist";
    }
    const std::string conditions = conditionsOf(wants);
    if (present.empty() || conditions.empty()) {
        return "'" + root.string() + "' has no " + family + " compiler";
    }
    return "'" + root.string() + "' has " + listed(present) + ", none with " + conditions;
}

}  // namespace Rilk
