#pragma once

#include <sys/types.h>

#include <chrono>
#include <set>

namespace Rilk {

class InterruptGuard;

/// Watches the commands of one batch of jobs for one that its terminal stopped. A command
/// runs in a process group of its own, never the terminal's foreground group, so a command
/// that opens the terminal itself to read it (a password prompt, a pager) or to change its
/// settings is stopped by it (SIGTTIN, SIGTTOU) and would wait for ever. Such a command's
/// group, stopped on rilk's own terminal at two looks a second apart, is killed, and its
/// slot marked (`RunningCommandSlot::stoppedByTerminal`), so that its job fails saying why.
/// Looks only when rilk has a terminal; otherwise costs nothing.
class TerminalStops {
public:
    TerminalStops();

    /// Looks at the published commands of `interrupt` when a second has passed since the
    /// last look. Call it from the thread that waits for the jobs.
    void look(InterruptGuard& interrupt);

private:
    /// rilk's controlling terminal; 0 without one.
    int terminal_ = 0;
    std::chrono::steady_clock::time_point next_;
    /// The groups found stopped at the last look.
    std::set<pid_t> stopped_;
};

}  // namespace Rilk
