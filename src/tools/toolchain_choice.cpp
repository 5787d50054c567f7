#include "tools/toolchain_choice.h"

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

}  // namespace Rilk
