#pragma once

#include <sys/types.h>

#include <filesystem>
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
    std::string input;                               ///< written to the child's standard input
};

/// Runs a program with arguments, without a shell, and collects its output and status.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

/// Reads everything a child writes to the two descriptors (either may be -1) until both are
/// closed, closes them, and waits for the child's status.
ProcessResult collectChild(pid_t pid, int outFd, int errFd);

/// Runs the `rilk` binary under test with the given arguments.
ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options = {});

}  // namespace RilkTest
