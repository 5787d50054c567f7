#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace Rilk {

/// The canonical form of `p` where it can be had: `weakly_canonical` (links resolved as far
/// as the path exists); failing that the lexically normal absolute path; failing that the
/// lexically normal `p`. Never throws for file-system errors.
std::filesystem::path normalizePath(const std::filesystem::path& p);

/// The native text of `normalizePath(p)`: one text for every name or link of a file.
std::string normalizedPathText(const std::filesystem::path& p);

/// Records `p` in `seen` by its normalised text; true when it was not there before. Lets a
/// search visit every file or directory once, whatever name or link leads to it.
bool insertNormalizedPath(std::set<std::string>& seen, const std::filesystem::path& p);

}  // namespace Rilk
