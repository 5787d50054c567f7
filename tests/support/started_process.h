#pragma once

// Programs started in the background, for tests that signal or kill them while they run.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace RilkTest {

/// Starts `argv` (no shell) in `directory` with `environment` set on top of the test's own,
/// standard input from /dev/null and standard output and error to `log` (appended), or to
/// /dev/null when empty. Returns the child's id; the caller reaps it with `waitExit`.
pid_t startProcess(const std::vector<std::string>& argv, const std::filesystem::path& directory,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& log = {});

/// Waits for the child to end: its exit status, or 128 + the signal that ended it.
int waitExit(pid_t pid);

/// Waits for the child to end, at most `limit`: its status as `waitExit` gives it. A child
/// still running then is killed with its commands (`killWithCommands`): empty.
std::optional<int> waitExitWithin(pid_t pid, std::chrono::milliseconds limit);

/// Whether `signal`, sent to the process `pid`, still waits to be delivered to one of its
/// threads (from /proc); false once a thread has taken it, or when the process is gone.
bool signalPending(pid_t pid, int signal);

/// Whether the process `pid` has ended: it is gone, or a zombie its parent has not reaped.
bool processEnded(pid_t pid);

/// Kills the child and every process group that one of its own children leads (the
/// commands a build runs), as an out-of-memory kill or a time-out of the whole job would:
/// the child is stopped first, so that it starts nothing more, then everything gets SIGKILL.
/// Reaps the child.
void killWithCommands(pid_t pid);

}  // namespace RilkTest
