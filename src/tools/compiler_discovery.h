#pragma once

#include <filesystem>
#include <vector>

#include "tools/compiler_info.h"
#include "tools/compiler_scan_memo.h"
#include "tools/toolchain_wants.h"

namespace Rilk {

/// Every GCC-style toolchain below `root` that satisfies `wants`, in discovery order.
///
/// The directories searched are: `root` itself when it is named "bin", otherwise root/bin
/// and root/usr/bin; then every directory named "bin" found by walking the tree below
/// `root` (links to directories are not descended into). Each directory is searched once,
/// however it is reached. A directory gives one record per triple and version, made from
/// its C compiler when there is one and from its C++ compiler otherwise. Missing or
/// unreadable directories give no records; nothing is logged and nothing is thrown for
/// file-system trouble. The scans' answers come from the process's `CompilerScanMemo`.
std::vector<CompilerInfo> findCompilersUnder(const ToolchainWants& wants,
                                             const std::filesystem::path& root);

/// `findCompilersUnder` with the scans' answers from `memo`.
std::vector<CompilerInfo> findCompilersUnder(const ToolchainWants& wants,
                                             const std::filesystem::path& root,
                                             CompilerScanMemo& memo);

}  // namespace Rilk
