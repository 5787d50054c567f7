#pragma once

#include <filesystem>
#include <string>

#include "tools/scan_dependencies.h"

namespace Rilk {

/// Resolves the absolute `path` as the system does, one name at a time, and records in
/// `dependencies` every step it relies on: each name looked up (`StampKind::Entry`), each
/// link followed through whatever directories it leads, and the directory in which a name
/// was found missing (`StampKind::Listing`). While those stamps hold, the path leads to the
/// same file, or to none, by the same way. `resolved` gets the path without links when it
/// leads to a file, and is emptied when it leads nowhere.
///
/// False when the resolution cannot be recorded soundly: a relative path, a name that may
/// not be looked up, a loop of links or any other failure than a missing name.
bool traceResolution(const std::filesystem::path& path, ScanDependencies& dependencies,
                     std::string& resolved);

/// `traceResolution` of a directory whose entries are read, which is also recorded as a
/// `StampKind::Listing` when it exists.
bool traceListing(const std::filesystem::path& directory, ScanDependencies& dependencies);

}  // namespace Rilk
