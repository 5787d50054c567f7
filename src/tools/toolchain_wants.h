#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "types/assignment.h"
#include "util/ci_string.h"

namespace Rilk {

/// What a tool definition asks of a toolchain. An empty text sets no condition.
struct ToolchainWants {
    /// Wants that set no condition.
    ToolchainWants() = default;
    /// Reads the wants from a tool definition's variables "toolchain_path", "prefix",
    /// "arch", "os", "abi", "toolchain_version" and "toolchain_min_version" (names ignore
    /// case); an absent variable or one without value gives an empty text, and the path
    /// is present only when its text is not empty. Never fails.
    explicit ToolchainWants(const AssignmentMap& variables);

    std::optional<std::filesystem::path> toolchainPath;  ///< the search root, when given
    std::string prefix;                                  ///< the whole target triple
    std::string arch;                                    ///< first part of the triple
    std::string os;                                      ///< second part of the triple
    std::string abi;                                     ///< third part of the triple
    std::string toolchainVersion;                        ///< exact version; "0" means any
    std::string toolchainMinVersion;                     ///< lowest acceptable version
};

}  // namespace Rilk
