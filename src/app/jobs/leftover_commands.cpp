#include "app/jobs/leftover_commands.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#include "app/jobs/run_token.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

/// The groups of this process and of its ancestors: ending one would end this run, or the
/// build it is nested in.
std::set<pid_t> ownGroups() {
    std::set<pid_t> groups{::getpgrp()};
    for (const Util::ProcessEntry& ancestor : Util::processAncestors(SIZE_MAX)) {
        groups.insert(ancestor.group);
    }
    return groups;
}

/// The groups that, right now, hold a living process of `session` carrying this run's
/// token, less `own`.
std::set<pid_t> leftoverGroups(pid_t session, const std::set<pid_t>& own) {
    const std::string& token = ownRunToken();
    const pid_t self = ::getpid();
    std::set<pid_t> groups;
    for (const Util::ProcessEntry& entry : Util::allProcesses()) {
        if (!entry.living() || entry.session != session || entry.pid == self ||
            entry.group <= 1 || own.contains(entry.group) || groups.contains(entry.group)) {
            continue;
        }
        if (carriesRunToken(entry.pid, token)) groups.insert(entry.group);
    }
    return groups;
}

void signalGroups(const std::set<pid_t>& groups, int signal) {
    for (const pid_t group : groups) {
        ::kill(-group, signal);
        if (signal == SIGTERM) ::kill(-group, SIGCONT);
    }
}

}  // namespace

std::size_t endLeftoverCommands(std::chrono::milliseconds grace,
                                std::chrono::milliseconds killLimit) {
    const pid_t session = ::getsid(0);
    if (session <= 0) return 0;
    const std::set<pid_t> own = ownGroups();
    std::set<pid_t> groups = leftoverGroups(session, own);
    const std::size_t found = groups.size();
    if (found == 0) return 0;
    signalGroups(groups, SIGTERM);
    const auto start = std::chrono::steady_clock::now();
    auto pause = std::chrono::milliseconds(2);
    while (true) {
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
        // Found again each time: a group that has emptied may have been given to another.
        groups = leftoverGroups(session, own);
        const auto waited = std::chrono::steady_clock::now() - start;
        if (groups.empty() || waited >= grace + killLimit) return found;
        if (waited >= grace) signalGroups(groups, SIGKILL);
    }
}

}  // namespace Rilk
