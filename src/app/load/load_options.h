#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// Where the unit file of a run comes from, which decides how the project root is found.
enum class UnitFileMode {
    /// No -f or -c: the project file is searched upward from the working directory.
    Search,
    /// -f: the named unit file, without project; its directory is the project root.
    File,
    /// -c: no unit file and no project; the target is the command line itself.
    CommandLine,
};

/// The options of the command line that decide what a run loads.
struct LoadOptions {
    /// The unit file of a run without project (absolute with -f, empty with -c).
    std::filesystem::path unitFile{"rilk.txt"};
    UnitFileMode unitFileMode = UnitFileMode::Search;
    /// -c: the run builds the empty unit "cmdline", and the command-line assignments stay
    /// out of the implicit contexts.
    bool cmdMode = false;
    /// The items that are no switches, in command-line order: the target, profile names
    /// and assignments.
    std::vector<std::string> positionalItems;
};

}  // namespace Rilk
