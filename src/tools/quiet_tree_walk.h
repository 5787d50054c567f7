#pragma once

#include <filesystem>
#include <functional>

namespace Rilk {

/// Calls `visit` for every entry below `root`, in the order the file system lists them.
///
/// Directories it may not read are skipped and links to directories are not descended into.
/// Nothing is reported: a root that cannot be opened gives no entries, and the first error
/// while advancing ends the walk. The toolchain searches use it to look through trees
/// that may hold anything, without ever failing because of them. True when the walk went to
/// its end, false when an error ended it early.
bool walkTreeQuietly(const std::filesystem::path& root,
                     const std::function<void(const std::filesystem::directory_entry&)>& visit);

}  // namespace Rilk
