#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace Rilk {

/// What a compiler file says about itself: its target triple and its version.
struct CompilerIdentity {
    std::string machine;  ///< the trimmed answer to "-dumpmachine"; never empty
    std::string version;  ///< may be empty
};

/// The file name that names the compiler: without an ".exe" extension (any letter case).
std::string compilerName(const std::filesystem::path& file);
/// The same for a file name: an extension is the part from the last "." that is not the
/// name's first character.
std::string_view compilerNameOf(std::string_view fileName);

/// Asks the compiler file (under the path given, links not resolved) for its identity,
/// each probe at most once per run (`probeTool`): "-dumpmachine" must answer with exit 0
/// and some text, else there is none. The version comes from "-dumpfullversion", else
/// "-dumpversion", else from a version after the kind in the file's name ("gcc-12" gives
/// 12), else it is empty.
std::optional<CompilerIdentity> identifyCompiler(const std::filesystem::path& file,
                                                 const std::string& kind);

}  // namespace Rilk
