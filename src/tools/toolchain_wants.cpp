#include "tools/toolchain_wants.h"

namespace Rilk {

ToolchainWants::ToolchainWants(const AssignmentMap& variables)
    : prefix(getAssignmentString(variables, "prefix")),
      arch(getAssignmentString(variables, "arch")),
      os(getAssignmentString(variables, "os")),
      abi(getAssignmentString(variables, "abi")),
      toolchainVersion(getAssignmentString(variables, "toolchain_version")),
      toolchainMinVersion(getAssignmentString(variables, "toolchain_min_version")) {
    std::string path = getAssignmentString(variables, "toolchain_path");
    if (!path.empty()) toolchainPath = std::move(path);
}

}  // namespace Rilk
