#pragma once

#include <filesystem>
#include <vector>

#include "tools/compiler_info.h"
#include "tools/toolchain_wants.h"

namespace Rilk {

/// Turns scanned candidates into toolchain records and appends, in candidate order, those
/// that satisfy every non-empty want (texts compared ignoring case):
/// arch, prefix, os, abi, exact version ("0" takes any), then minimum version.
/// The triple splits at '-' into arch, os and abi; missing parts are empty, extra parts
/// ignored (x86_64-pc-linux-gnu gives x86_64, pc, linux).
void mergeCompilerCandidates(const ToolchainWants& wants,
                             const std::filesystem::path& toolchainRoot,
                             std::vector<CompilerCandidate> candidates,
                             std::vector<CompilerInfo>& out);

}  // namespace Rilk
