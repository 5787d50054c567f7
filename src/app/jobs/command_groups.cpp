#include "app/jobs/command_groups.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "app/jobs/run_token.h"
#include "util/poll_until.h"

namespace Rilk {

namespace {

const Util::ProcessEntry* find(const std::vector<Util::ProcessEntry>& table, pid_t pid) {
    const auto found =
        std::find_if(table.begin(), table.end(),
                     [&](const Util::ProcessEntry& entry) { return entry.pid == pid; });
    return found == table.end() ? nullptr : &*found;
}

/// Whether the recorded group's leader still leads it, in the run's session, with the start
/// time recorded.
bool leaderAsRecorded(const CommandGroup& recorded, const RunProof& proof,
                      const std::vector<Util::ProcessEntry>& table) {
    const Util::ProcessEntry* leader = find(table, recorded.group);
    return leader != nullptr && recorded.leaderStart != 0 &&
           leader->start == recorded.leaderStart && leader->group == recorded.group &&
           leader->session == proof.session;
}

/// A group that got SIGKILL, with its members then (id and start, which name one process).
struct KilledGroup {
    pid_t group = 0;
    std::vector<std::pair<pid_t, std::uint64_t>> members;
};

/// Whether the process (id, start) still lives.
bool stillLiving(const std::vector<Util::ProcessEntry>& table,
                 const std::pair<pid_t, std::uint64_t>& process) {
    const Util::ProcessEntry* entry = find(table, process.first);
    return entry != nullptr && entry->start == process.second && entry->living();
}

}  // namespace

std::set<pid_t> ownGroups() {
    std::set<pid_t> groups{::getpgrp()};
    for (const Util::ProcessEntry& ancestor : Util::processAncestors()) {
        groups.insert(ancestor.group);
    }
    return groups;
}

ProcessAccess systemProcessAccess(const std::string& token) {
    return {Util::allProcesses, [token](pid_t pid) { return carriesRunToken(pid, token); },
            [](pid_t group) { ::kill(-group, SIGKILL); }};
}

std::set<pid_t> provenGroups(const RunProof& proof, const std::vector<Util::ProcessEntry>& table,
                             const std::function<bool(pid_t)>& carriesToken,
                             std::size_t* unproven) {
    std::set<pid_t> proven;
    // Group numbers 0 and 1 would name this process's group, or every process.
    const auto candidate = [&](pid_t group) {
        return group > 1 && !proof.spared.contains(group) && !proven.contains(group);
    };
    if (!proof.token.empty()) {
        for (const Util::ProcessEntry& entry : table) {
            if (entry.living() && entry.session == proof.session && candidate(entry.group) &&
                carriesToken(entry.pid)) {
                proven.insert(entry.group);
            }
        }
    }
    for (const CommandGroup& recorded : proof.groups) {
        if (!candidate(recorded.group) || !Util::groupLives(table, recorded.group)) continue;
        if (leaderAsRecorded(recorded, proof, table)) {
            proven.insert(recorded.group);
        } else if (unproven != nullptr) {
            ++*unproven;
        }
    }
    return proven;
}

EndedGroups endProvenGroups(const RunProof& proof, const ProcessAccess& access,
                            std::chrono::milliseconds limit) {
    EndedGroups result;
    std::vector<KilledGroup> killed;
    std::size_t living = 0;
    bool first = true;
    Util::pollUntil(std::chrono::steady_clock::now() + limit, [&] {
        const std::vector<Util::ProcessEntry> table = access.table();
        const std::set<pid_t> proven =
            provenGroups(proof, table, access.carriesToken, first ? &result.leftAlone : nullptr);
        first = false;
        for (const pid_t group : proven) {
            if (std::any_of(killed.begin(), killed.end(),
                            [&](const KilledGroup& known) { return known.group == group; })) {
                continue;
            }
            KilledGroup& added = killed.emplace_back(KilledGroup{group, {}});
            for (const Util::ProcessEntry& member : table) {
                if (member.group == group && member.living()) {
                    added.members.emplace_back(member.pid, member.start);
                }
            }
        }
        living = 0;
        for (const KilledGroup& group : killed) {
            if (proven.contains(group.group)) {
                ++living;
                access.killGroup(group.group);
            } else if (std::any_of(group.members.begin(), group.members.end(),
                                   [&](const auto& member) { return stillLiving(table, member); })) {
                // Killed, but not gone yet: it runs nothing more.
                ++living;
            }
        }
        return living == 0;
    });
    result.stillLiving = living;
    result.ended = killed.size() - living;
    return result;
}

EndedGroups endKilledRunGroups(const std::vector<CommandGroup>& groups, const std::string& bootId,
                               const std::string& token, pid_t session,
                               std::chrono::milliseconds limit) {
    if (groups.empty() && token.empty()) return {};
    const bool sameBoot = !bootId.empty() && bootId == Util::currentBootId();
    const RunProof proof{sameBoot ? groups : std::vector<CommandGroup>{}, token, session,
                         ownGroups()};
    return endProvenGroups(proof, systemProcessAccess(token), limit);
}

}  // namespace Rilk
