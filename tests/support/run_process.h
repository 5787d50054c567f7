#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace RilkTest {

struct ProcessResult {
    int exitCode = -1;  ///< exit status, or 128 + signal number when killed by a signal
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::filesystem::path workingDirectory;          ///< empty: the test's own
    std::map<std::string, std::string> environment;  ///< set (or replace) in the child
    /// When not negative, the child drops to this user id (group id the same) before the
    /// program starts; needs a test running as root.
    int user = -1;
};

/// Where a child's standard output goes.
enum class Console {
    File,      ///< a file (no terminal), read once the child has ended
    Terminal,  ///< a pseudo-terminal with no output translation
};

/// Runs `body` in a forked child (standard input empty) and collects what it writes to standard
/// output and error. The child has its own copy of all global state; when `body` returns it
/// flushes standard output and exits with status 0, running no exit handlers.
ProcessResult runInChild(const std::function<void()>& body, Console console = Console::File);

/// Runs a program with arguments, without a shell, and collects its output and status.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

/// Runs the `rilk` binary under test with the given arguments.
ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options = {});

}  // namespace RilkTest
