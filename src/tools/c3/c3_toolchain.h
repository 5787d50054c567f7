#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tools/toolchain_wants.h"

namespace Rilk {

/// One C3 compiler that answered its version probe.
struct C3Candidate {
    std::string version;                 ///< the version read from its "--version" banner
    std::filesystem::path compilerPath;  ///< the probed file, as it was reached
    std::filesystem::path binDirectory;  ///< the directory holding it
};

/// Whether the file name of `path` is "c3c" or "c3c.exe", ignoring case.
bool isC3CompilerName(const std::filesystem::path& path);

/// The version a compiler's "--version" banner states: its first dotted number ("0.6.8"
/// in "C3 Compiler Version: 0.6.8"), else its first number, else nothing. A digit in a
/// name before the version ("C3") is no version when a dotted number follows.
std::optional<std::string> versionFromBanner(const std::string& banner);

/// Runs the regular file at `path` with "--version" (once per program and run, see
/// `probeTool`); its candidate record when it exits with 0 and states a version, nothing
/// otherwise (no file, not runnable, failing, silent, or stopped for running too long).
std::optional<C3Candidate> probeToolVersion(const std::filesystem::path& path);

/// Whether the candidate satisfies the version wants: toolchain_version (when set) is
/// "0", the candidate's version ignoring case, or a major number the version starts with
/// ("1" takes 1, 1.0 and 1.4.2, not 10.1); toolchain_min_version (when set) is no newer
/// than the version.
bool versionMatches(const ToolchainWants& wants, const C3Candidate& candidate);

}  // namespace Rilk
