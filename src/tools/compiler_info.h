#pragma once

#include <filesystem>
#include <string>

namespace Rilk {

/// One compiler file found by a directory scan, before the wants are applied.
struct CompilerCandidate {
    std::string version;  ///< may be empty
    std::string machine;  ///< the trimmed answer to "-dumpmachine"; never empty
    std::string path;     ///< scanned directory joined with the file name, links not resolved
};

/// One discovered toolchain: the target triple and version of a compiler and where it was
/// found. A plain value, copied member by member.
struct CompilerInfo {
    std::string version;  ///< may be empty
    std::string prefix;   ///< the whole triple; the GNU tools prefix their file names with it
    std::string arch;     ///< first '-'-separated part of the triple
    std::string os;       ///< second part, empty when missing
    std::string abi;      ///< third part, empty when missing
    std::filesystem::path binDir;         ///< the directory the compiler was found in, as scanned
    std::filesystem::path toolchainRoot;  ///< the parent of `binDir` (/usr for /usr/bin)
    std::filesystem::path compilerPath;   ///< the compiler file the record was made from
};

}  // namespace Rilk
