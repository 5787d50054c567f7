#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// The object file of every source, in order, such that two different source files never
/// share one (a compiler run would overwrite the first object with the second, and two
/// parallel jobs would write the same file at once).
///
/// A source's object is normally the object directory joined with the source's file name,
/// its extension replaced by `extension` (src/main.c gives <objectDirectory>/main.o). Only
/// sources whose normal object would also be the normal object of another source in
/// `sources` are placed elsewhere: below the object directory at their directory relative
/// to the directory all colliding sources share (src/a.c and lib/a.c give src/a.o and
/// lib/a.o), and, when that still collides (a.c and a.cpp in one directory), under their
/// whole file name followed by `extension` (a.c.o, a.cpp.o). The same source listed twice
/// is one source. Every result is absolute (relative paths are taken against the current
/// directory). Sources must have a file name. Throws `RilkException` in the unlikely case
/// that two sources still end up with one object.
std::vector<std::filesystem::path> planObjectPaths(
    const std::vector<std::filesystem::path>& sources,
    const std::filesystem::path& objectDirectory, const std::string& extension);

}  // namespace Rilk
