#pragma once

#include <filesystem>

namespace Util {

/// Takes away `path` when it exists and is neither a regular file nor a directory, also by
/// way of a link: a FIFO, a socket, a device node, or a link to one. A file the program
/// keeps for itself (a cache) is then written anew as a regular file in its place, where
/// writing into it would lose what is written (a link to /dev/null) or block (a FIFO
/// without a reader). Nothing else is touched; a failure is left to the writer to report.
void removeSpecialFile(const std::filesystem::path& path);

}  // namespace Util
