#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/toolchain_wants.h"
#include "tools/version_rules.h"

namespace Rilk {

// The rules every toolchain factory applies to its wants and to what its search found, so
// that all tool families register installed toolchains alike.

/// Where the definition asks to search. Throws `RilkException` "<matcherClass> requires
/// want variable 'toolchain_path'." when it names no path.
const std::filesystem::path& requiredToolchainPath(const ToolchainWants& wants,
                                                   const std::string& matcherClass);

/// Throws `RilkException` "Couldn't find <family> toolchain from provided 'wants'
/// variables.".
[[noreturn]] void failNoToolchainFound(const std::string& family);

/// Throws `RilkException` "Couldn't find <family> toolchain from provided 'wants'
/// variables: <reason>.".
[[noreturn]] void failNoToolchainFound(const std::string& family, const std::string& reason);

/// Why the search at `root` found no toolchain that meets `wants`, given the toolchains
/// `present` there whatever the wants ("x86_64-linux-gnu 12.2.0", in discovery order; a
/// repeated one is named once): "its toolchain_path '<root>' does not exist", "'<root>' has
/// no <family> compiler", or "'<root>' has <present>, none with <the wants that set a
/// condition>" (at most five named, then how many more).
std::string noToolchainReason(const ToolchainWants& wants, const std::filesystem::path& root,
                              const std::string& family, const std::vector<std::string>& present);

/// The toolchain to use among those found, given in discovery order: the newest by
/// `compareVersions`, the first found among equal versions (a later one replaces the
/// choice only when it is strictly newer). Throws as `failNoToolchainFound` when nothing was
/// found. `Toolchain` is any record with a `version` text.
template <typename Toolchain>
const Toolchain& chooseNewestToolchain(const std::vector<Toolchain>& found,
                                       const std::string& family) {
    if (found.empty()) failNoToolchainFound(family);
    const Toolchain* chosen = &found.front();
    for (const Toolchain& toolchain : found) {
        if (compareVersions(toolchain.version, chosen->version) == 1) chosen = &toolchain;
    }
    return *chosen;
}

}  // namespace Rilk
