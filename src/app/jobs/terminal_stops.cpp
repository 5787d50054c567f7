#include "app/jobs/terminal_stops.h"

#include <signal.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "app/jobs/build_interrupt.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

constexpr auto kLookEvery = std::chrono::seconds(1);

/// The groups of `table` with a process stopped on `terminal` while its group is not the
/// terminal's foreground group: what the terminal stops for reading it or changing it.
std::set<pid_t> stoppedOn(int terminal, const std::vector<Util::ProcessEntry>& table) {
    std::set<pid_t> groups;
    for (const Util::ProcessEntry& entry : table) {
        if (entry.state == 'T' && entry.terminal == terminal &&
            entry.terminalGroup != entry.group) {
            groups.insert(entry.group);
        }
    }
    return groups;
}

/// rilk's controlling terminal, asked once, at the first batch of jobs; 0 without one.
int ownTerminal() {
    static const int terminal = [] {
        const std::optional<Util::ProcessEntry> self = Util::readProcess(::getpid());
        return self ? self->terminal : 0;
    }();
    return terminal;
}

}  // namespace

TerminalStops::TerminalStops()
    : terminal_(ownTerminal()), next_(std::chrono::steady_clock::now() + kLookEvery) {}

void TerminalStops::look(InterruptGuard& interrupt) {
    if (terminal_ == 0 || std::chrono::steady_clock::now() < next_) return;
    next_ = std::chrono::steady_clock::now() + kLookEvery;
    const std::set<pid_t> stopped = stoppedOn(terminal_, Util::allProcesses());
    for (std::size_t job = 0; job < interrupt.jobCount(); ++job) {
        RunningCommandSlot& slot = interrupt.slot(job);
        const pid_t group = slot.processGroup();
        // Only a command of this run: the group its slot publishes, whose shell is not
        // reaped while it is published, so the number is still the command's. Stopped at the
        // last look too: not one caught between its stop and a SIGCONT someone sends it.
        if (group <= 0 || !stopped.contains(group) || !stopped_.contains(group)) continue;
        slot.markStoppedByTerminal();
        ::kill(-group, SIGKILL);
    }
    stopped_ = stopped;
}

}  // namespace Rilk
