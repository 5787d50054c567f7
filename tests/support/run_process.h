#pragma once

#include <sys/types.h>

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

/// A program's arguments and environment, made before a fork so that the child only has to
/// exec them: a child that allocates can wait forever for a lock another thread of the test
/// held at the fork (the sanitizers' allocators have such locks).
class PreparedExec {
public:
    PreparedExec(const std::vector<std::string>& argv, const ProcessOptions& options);
    PreparedExec(const PreparedExec&) = delete;
    PreparedExec& operator=(const PreparedExec&) = delete;

    /// In the child: enters the working directory, drops to the user, execs the program;
    /// exits with 126, 125 or 127 where one of these fails.
    [[noreturn]] void run() const;

private:
    std::vector<std::string> argv_;
    std::vector<std::string> environment_;
    std::vector<char*> args_;
    std::vector<char*> envp_;
    std::filesystem::path directory_;
    int user_;
};

/// A forked child with standard input from /dev/null and its standard output and error on
/// pipes; `out` and `err` are their read ends, which the caller closes.
struct PipedChild {
    pid_t pid;
    int out;
    int err;
};

/// Forks a child that runs `child`, then exits with status 0, running no exit handlers.
PipedChild forkWithPipes(const std::function<void()>& child);

/// Runs a program with arguments, without a shell, and collects its output and status.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

/// Runs the `rilk` binary under test with the given arguments.
ProcessResult runRilk(const std::vector<std::string>& args, const ProcessOptions& options = {});

}  // namespace RilkTest
