#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/dependency_rules.h"
#include "tools/work_item.h"

namespace Rilk {

/// Largest dependency file read; a larger one counts as unreadable.
inline constexpr std::size_t kMaxDependencyFile = 16u << 20;

/// The files that `rules` name as read by a compile, as sorted, distinct, lexically normal
/// full path texts (relative names taken from `directory`, the compile's working
/// directory): every prerequisite of each rule, but the first when `sourceFirst` (the
/// compiler names the source it compiled there with "-MD", and it is an input of the work
/// item already; the file SUNPRO_DEPENDENCIES names leaves it out).
std::vector<std::string> filesReadByCompile(const std::vector<DependencyRule>& rules,
                                            const std::filesystem::path& directory,
                                            bool sourceFirst);

/// The files the item's dependency files, just written by its build, name together
/// (`filesReadByCompile`), or null when the item has none or any of them cannot be read
/// (missing, not a regular file, larger than `kMaxDependencyFile`) or parsed, so that the
/// item is built again next time.
FilesRead readBuiltDependencies(const WorkItem& item);

}  // namespace Rilk
