#pragma once

#include <filesystem>
#include <vector>

#include "tools/c3/c3_toolchain.h"
#include "tools/toolchain_wants.h"

namespace Rilk {

/// Every C3 compiler at `root` that answers its version probe and satisfies the version
/// wants, in discovery order.
///
/// A `root` that is itself a file named like the compiler is the only candidate.
/// Otherwise root/c3c, root/c3c.exe, root/bin/c3c and root/bin/c3c.exe come first, then
/// every file or link named like the compiler in the walk of the tree below a directory
/// `root` (links to directories are not descended into, unreadable directories are
/// skipped, and an error ends the walk). Each program is probed once, however many
/// names or links lead to it. Nothing is logged or thrown.
std::vector<C3Candidate> findC3Compilers(const ToolchainWants& wants,
                                         const std::filesystem::path& root);

}  // namespace Rilk
