#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace Rilk {

/// One entry of a project file's `import` block: another project, found by a path
/// (relative paths are taken against the importing project file's directory) or by its
/// name in the registry. Texts not written stay empty.
struct ProjectImport {
    enum class Kind : std::uint32_t {
        Path = 0,      ///< `"../lib" [alias];`
        Registry = 1,  ///< `core;`
    };

    Kind kind = Kind::Path;
    /// For `Kind::Path`: the path as written, without its double quotes.
    std::filesystem::path path;
    /// For `Kind::Registry`: the registered project's name.
    std::string name;
    /// For `Kind::Path`: the identifier written after the path.
    std::string alias;
    /// The profile written before ":": the import applies only while that profile of the
    /// importing project is active.
    std::string sourceProfile;
    /// The profile written in parentheses: the profile to activate in the imported project.
    std::string importProfile;
};

}  // namespace Rilk
