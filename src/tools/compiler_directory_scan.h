#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/compiler_info.h"

namespace Rilk {

/// The compilers of one kind in one directory, in the order the directory lists them.
///
/// `kind` is "gcc" (C: names gcc or cc) or the pattern "g\+\+" (C++: g++ or c++); any other
/// text is used as a regular expression for the compiler name. A name may carry a triple
/// before ("x86_64-linux-gnu-gcc") and a version after ("gcc-12.2"); ".exe" is ignored.
/// Each matching file is identified by `identifyCompiler` (a file probed before in this run,
/// under any name or link, is not run again). Files reached twice (links) and a second file
/// with the same triple and version give nothing. A missing or unreadable directory gives
/// nothing. `examined`, when given, gets every file whose name matched, in listing order.
std::vector<CompilerCandidate> scanCompilerDirectory(
    std::string kind, const std::filesystem::path& directory,
    std::vector<std::filesystem::path>* examined = nullptr);

}  // namespace Rilk
