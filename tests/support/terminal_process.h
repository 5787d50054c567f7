#pragma once

// A program run on a pseudo-terminal of its own and read while it runs. On a terminal the
// C library writes standard output line by line, so a test can wait for a message that the
// program prints before it blocks (on a lock, on a command) and act only then.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/wait_until.h"

namespace RilkTest {

class TerminalProcess {
public:
    /// Starts `argv` (no shell) as `options` say, standard output and error on the terminal,
    /// standard input from /dev/null or, with `terminalInput`, the terminal too.
    TerminalProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                    bool terminalInput = false);
    /// Kills the program if it still runs, and reaps it.
    ~TerminalProcess();
    TerminalProcess(const TerminalProcess&) = delete;
    TerminalProcess& operator=(const TerminalProcess&) = delete;

    /// Reads until what the program printed holds `text`, the program has ended or `limit`
    /// has passed; whether it holds `text`.
    bool awaitOutput(const std::string& text, std::chrono::milliseconds limit = kHangGuard);

    /// Reads until the program has ended, killing it once `limit` has passed; its exit
    /// status, or 128 + the signal that ended it.
    int wait(std::chrono::milliseconds limit = kHangGuard);

    /// All the program printed so far, bytes as written (no "\r" added to line ends).
    const std::string& output() const { return output_; }

private:
    /// Reads what the program prints within `limit`; false once it has ended and what it
    /// printed is read.
    bool readFor(std::chrono::milliseconds limit);
    /// Appends what the terminal holds now; false at its end.
    bool readSome();
    /// Whether the program has ended (`waitpid` with `options`); keeps its status then.
    bool reap(int options);

    pid_t pid_ = -1;
    int master_ = -1;
    int status_ = -1;  ///< set once the program is reaped
    std::string output_;
};

}  // namespace RilkTest
