#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace Rilk {

/// What one run of an installed tool produced: its standard output, trimmed of blanks,
/// tabs and line breaks at both ends, and its exit code (0..255), or -1 when the tool's
/// shell did not start, could not be waited for or ended by a signal.
struct ToolRunResult {
    std::filesystem::path output;
    std::int32_t exitStatus = -1;
};

/// The shell command that runs `tool` with `arguments`: the tool path single-quoted so
/// that no character of it ('$', '`', quotes, '\', blanks, line breaks) is interpreted by
/// the shell, then the argument text unchanged, then input from /dev/null (a probed
/// program can never wait for the terminal) and standard error discarded.
std::string toolCommandText(const std::filesystem::path& tool, const std::string& arguments);

/// Runs `tool` through /bin/sh with `arguments` (split into words by the shell), reads all
/// it writes to standard output and waits for it to end. Never throws for a failing tool;
/// callers treat a non-zero exit status as a failed probe.
ToolRunResult runToolCapture(const std::filesystem::path& tool, const std::string& arguments);

}  // namespace Rilk
