#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace Rilk {

/// How long a probed tool may run before it is stopped.
inline constexpr std::chrono::milliseconds kProbeTimeout{10000};

/// What one run of an installed tool produced: its standard output, trimmed of blanks,
/// tabs and line breaks at both ends, and its exit code (0..255), or -1 when the tool's
/// shell did not start, could not be waited for, ended by a signal or was stopped for
/// running too long (`timedOut`).
struct ToolRunResult {
    std::filesystem::path output;
    std::int32_t exitStatus = -1;
    bool timedOut = false;
};

/// The shell command that runs `tool` with `arguments`: the tool path single-quoted so
/// that no character of it ('$', '`', quotes, '\', blanks, line breaks) is interpreted by
/// the shell, then the argument text unchanged, then input from /dev/null (a probed
/// program can never wait for the terminal) and standard error discarded.
std::string toolCommandText(const std::filesystem::path& tool, const std::string& arguments);

/// Runs `tool` through /bin/sh with `arguments` (split into words by the shell), reads all
/// it writes to standard output and waits for it to end. A tool still running (or still
/// holding its output open) after `timeout` is killed together with everything it started,
/// a `Warning` names it, and the result has `timedOut` set and status -1. Never throws
/// for a failing tool; callers treat a non-zero exit status as a failed probe.
ToolRunResult runToolCapture(const std::filesystem::path& tool, const std::string& arguments,
                             std::chrono::milliseconds timeout = kProbeTimeout);

}  // namespace Rilk
