#include "app/jobs/command_groups.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <thread>

#include "app/jobs/run_token.h"
#include "util/process_table.h"

namespace Rilk {

namespace {

const Util::ProcessEntry* find(const std::vector<Util::ProcessEntry>& table, pid_t pid) {
    const auto found =
        std::find_if(table.begin(), table.end(),
                     [&](const Util::ProcessEntry& entry) { return entry.pid == pid; });
    return found == table.end() ? nullptr : &*found;
}

/// The process groups of this process and of its ancestors: ending one would end this run.
std::set<pid_t> ownGroups() {
    std::set<pid_t> groups{::getpgrp()};
    for (const Util::ProcessEntry& ancestor : Util::processAncestors(SIZE_MAX)) {
        groups.insert(ancestor.group);
    }
    return groups;
}

/// Whether `group` has a living member.
bool livesOn(const std::vector<Util::ProcessEntry>& table, pid_t group) {
    return std::any_of(table.begin(), table.end(), [&](const Util::ProcessEntry& entry) {
        return entry.group == group && entry.living();
    });
}

/// Whether the recorded group's leader still lives with the start time recorded: while it
/// lives (a zombie too) it holds the number, so none other can lead a group of it.
bool startedByKilledRun(const CommandGroup& recorded,
                        const std::vector<Util::ProcessEntry>& table) {
    const Util::ProcessEntry* leader = find(table, recorded.group);
    return leader != nullptr && recorded.leaderStart != 0 && leader->start == recorded.leaderStart;
}

/// Waits until no group of `killed` has a living member, at most `limit`, killing again
/// what a member started meanwhile; how many still had one at the end.
std::size_t awaitGone(const std::vector<pid_t>& killed, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::milliseconds(2);
    while (true) {
        const std::vector<Util::ProcessEntry> table = Util::allProcesses();
        std::size_t living = 0;
        for (const pid_t group : killed) {
            if (!livesOn(table, group)) continue;
            ++living;
            ::kill(-group, SIGKILL);
        }
        if (living == 0 || std::chrono::steady_clock::now() >= deadline) return living;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

/// The groups of the living processes that carry `token`: the killed run's commands, also
/// those whose group the journal could not name before the run was killed. A process that
/// leads a session of its own (a daemon, `setsid`) left its command's group on purpose.
std::set<pid_t> groupsCarryingToken(const std::vector<Util::ProcessEntry>& table,
                                    const std::string& token) {
    std::set<pid_t> groups;
    for (const Util::ProcessEntry& entry : table) {
        if (entry.living() && entry.group > 1 && entry.group != entry.session &&
            !groups.contains(entry.group) && carriesRunToken(entry.pid, token)) {
            groups.insert(entry.group);
        }
    }
    return groups;
}

}  // namespace

EndedGroups endKilledRunGroups(const std::vector<CommandGroup>& groups, const std::string& bootId,
                               const std::string& token, std::chrono::milliseconds limit) {
    EndedGroups result;
    if (groups.empty() && token.empty()) return result;
    const std::vector<Util::ProcessEntry> table = Util::allProcesses();
    const std::set<pid_t> own = ownGroups();
    const bool sameBoot = !bootId.empty() && bootId == Util::currentBootId();
    std::set<pid_t> proven = groupsCarryingToken(table, token);
    for (const CommandGroup& recorded : groups) {
        // Group numbers 0 and 1 would name this process's group, or every process.
        if (recorded.group <= 1 || proven.contains(recorded.group)) continue;
        if (!livesOn(table, recorded.group)) continue;
        if (sameBoot && startedByKilledRun(recorded, table)) {
            proven.insert(recorded.group);
        } else {
            ++result.leftAlone;
        }
    }
    std::vector<pid_t> killed;
    for (const pid_t group : proven) {
        if (own.contains(group)) {
            ++result.leftAlone;
            continue;
        }
        ::kill(-group, SIGKILL);
        killed.push_back(group);
    }
    if (killed.empty()) return result;
    result.stillLiving = awaitGone(killed, limit);
    result.ended = killed.size() - result.stillLiving;
    return result;
}

}  // namespace Rilk
