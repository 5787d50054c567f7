#pragma once

#include <filesystem>
#include <map>
#include <unordered_map>
#include <string>
#include <vector>

namespace Rilk {

/// Where the object file of each source of a target goes, such that two different source
/// files never share one (a compiler run would overwrite the first object with the second,
/// and two parallel jobs would write the same file at once).
///
/// A source's object is normally the object directory joined with the source's file name,
/// its extension replaced by the object extension (src/main.c gives <dir>/main.o). Only
/// sources whose normal object would also be the normal object of another source of the
/// set are placed elsewhere: below the object directory at their directory relative to
/// the directory all colliding sources share (src/a.c and lib/a.c give <dir>/src/a.o and
/// <dir>/lib/a.o), and, when that still collides (a.c and a.cpp in one directory), under
/// their whole file name followed by the extension (a.c.o, a.cpp.o). The same file named
/// twice (a.c, ./a.c) is one source. Relative sources are taken against the current
/// directory. The placement depends on the whole set, so every object of a target must be
/// named from the placement of all its sources.
class ObjectPlacement {
public:
    ObjectPlacement() = default;
    /// Places `sources` (each with a file name). Throws `RilkException` in the unlikely
    /// case that two different sources still end up with one object.
    ObjectPlacement(const std::vector<std::filesystem::path>& sources,
                    const std::string& extension);

    /// True when `source` is one of the placed sources.
    bool covers(const std::filesystem::path& source) const;
    /// The absolute object path of a placed source below `objectDirectory`.
    std::filesystem::path objectFor(const std::filesystem::path& source,
                                    const std::filesystem::path& objectDirectory) const;
    /// The subdirectories of the object directory that the objects use, relative to it.
    std::vector<std::filesystem::path> subdirectories() const;

private:
    /// From the absolute, lexically normal source to its object relative to the object
    /// directory.
    std::unordered_map<std::string, std::filesystem::path> placements_;
};

}  // namespace Rilk
