#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace Rilk {

/// What a tool definition asks of a toolchain. An empty text sets no condition.
struct ToolchainWants {
    ToolchainWants() = default;

    std::optional<std::filesystem::path> toolchainPath;  ///< the search root, when given
    std::string prefix;                                  ///< the whole target triple
    std::string arch;                                    ///< first part of the triple
    std::string os;                                      ///< second part of the triple
    std::string abi;                                     ///< third part of the triple
    std::string toolchainVersion;                        ///< exact version; "0" means any
    std::string toolchainMinVersion;                     ///< lowest acceptable version
};

}  // namespace Rilk
