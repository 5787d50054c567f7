#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/jobs/run_token.h"
#include "util/process_table.h"

namespace Rilk {

/// The process group of a command a run started, as its journal names it: the group's
/// number (the pid of the command's shell, which leads it) and the shell's start time.
struct CommandGroup {
    pid_t group = 0;
    /// The leader's start in clock ticks after boot (/proc/<pid>/stat, field 22); 0 when
    /// it could not be read.
    std::uint64_t leaderStart = 0;

    bool operator==(const CommandGroup&) const = default;
};

/// What `endKilledRunGroups` did with the groups it was given.
struct EndedGroups {
    std::size_t ended = 0;        ///< killed, and gone when it returned
    std::size_t stillLiving = 0;  ///< killed, but some member still lived at the time limit
    std::size_t leftAlone = 0;    ///< named by the record and living, but not shown to be the run's
};

/// What shows that a process group is one a run's commands live in. Only a group of the
/// run's session is, never one of `spared`, and only while it has a living member (a zombie
/// is not one); then it is one whose leader is a group of `groups` with the start time
/// recorded (while the leader lives, a zombie too, it holds the number, so none other can
/// lead a group of it), or one a living member of which carries `token` in
/// `kRunTokenVariable` (so also a command whose group the run had no time to record, or a
/// process a command moved into a group of its own). A process that leaves the session
/// (`setsid`, a daemon) leaves the run, and so does all it starts.
struct RunProof {
    /// The groups the run recorded, on the running boot.
    std::vector<CommandGroup> groups;
    std::string token;
    /// The session of the run's process, which its commands share unless they left it: as
    /// this PID namespace sees it, so 0 where its leader lies outside (in a container). A
    /// session set up inside (`setsid`) never reads 0, so it is told apart all the same.
    pid_t session = 0;
    /// Groups never ended: this process's and its ancestors' (ending one would end this run).
    std::set<pid_t> spared;
};

/// What `endKilledRunGroups` sees of the processes and does to them: the table of processes,
/// whether a process carries the run's token, and SIGKILL to a whole group.
struct ProcessAccess {
    std::function<std::vector<Util::ProcessEntry>()> table;
    std::function<bool(pid_t)> carriesToken;
    std::function<void(pid_t)> killGroup;
};

/// The process groups of this process and of its ancestors: ending one would end this run,
/// or the build it is nested in.
std::set<pid_t> ownGroups();

/// This system's processes as `ProcessAccess` gives them: /proc, `carriesRunToken` of
/// `token`, and SIGKILL to the group.
ProcessAccess systemProcessAccess(const std::string& token);

/// The groups of `table` that `proof` shows to be the run's. Counts in `unproven`, when
/// given, the groups of `proof.groups` that have a living member but are not shown to be
/// the run's (their number was given to another group since, or they are of another
/// session), never a spared one.
std::set<pid_t> provenGroups(const RunProof& proof, const std::vector<Util::ProcessEntry>& table,
                             const std::function<bool(pid_t)>& carriesToken,
                             std::size_t* unproven = nullptr);

/// Ends every group that `proof` shows to be the run's (`access.killGroup`), then waits, at
/// most `limit`, until none of them has a living member: each round reads the table again
/// and kills each group that still passes `proof` (what a member started meanwhile, also in
/// a group of its own), never a number freed and given to another group since, and waits
/// too for each member a group had when it was first killed.
EndedGroups endProvenGroups(const RunProof& proof, const ProcessAccess& access,
                            std::chrono::milliseconds limit);

/// Ends (SIGKILL) every process group of session `session` shown by a `RunProof` to be the
/// one of a run's commands: `groups` recorded on the boot `bootId` (none when it is not the
/// running one), `token` the run's, and this process's group and its ancestors' spared. A
/// killed run's commands, which a later run ends, or the leftovers of this very run (its own
/// token and session). Waits until they are gone, at most `limit` (`endProvenGroups`).
EndedGroups endKilledRunGroups(const std::vector<CommandGroup>& groups, const std::string& bootId,
                               const std::string& token, pid_t session,
                               std::chrono::milliseconds limit);

}  // namespace Rilk
