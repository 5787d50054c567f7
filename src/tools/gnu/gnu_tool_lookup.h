#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/compiler_info.h"

namespace Rilk {

/// The first existing file among bin directory / (prefix + "-" + tool), the same with
/// ".exe", bin directory / tool and tool + ".exe" (links followed; any file type); an empty
/// path when none exists. The "-" is put in also for an empty prefix.
std::filesystem::path findGnuTool(const std::filesystem::path& binDirectory,
                                  const std::string& prefix, const std::string& tool);

/// The compiler driver `tool` ("gcc" or "g++") of exactly the given toolchain: among the
/// candidates of `findGnuTool` that exist, then the names with the toolchain's version
/// appended ("-12.2.0", then shortened to "-12.2" and "-12"; the prefixed name before the
/// plain one), the first whose own answers (`identifyCompiler`) give the toolchain's triple
/// and version. An empty path when no file of that version is there, so that a toolchain
/// chosen for its version never runs another version's compiler.
/// When `others` is given, each candidate that is there and answers, but with another
/// triple or version, is added to it (for the message that the compiler is missing).
std::filesystem::path findToolchainCompiler(const CompilerInfo& toolchain, const std::string& tool,
                                            std::vector<CompilerCandidate>* others = nullptr);

}  // namespace Rilk
