#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/jobs/run_token.h"

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
    std::size_t leftAlone = 0;    ///< living, but not shown to be the killed run's, or ours
};

/// Ends every process group that still has a living member (a zombie is not one) and is
/// shown to be one the killed run started: a group of `groups` whose leader lives, on the
/// boot `bootId`, with the recorded start time, or any group one of whose living members
/// carries `token` in `kRunTokenVariable` of its environment (so also a command whose group
/// the run had no time to record), unless that member leads a session of its own (a daemon
/// left its command's group on purpose). A recorded group whose number was given to another
/// since shows neither and is left alone, and so is the group of this process or of one of
/// its ancestors. The others get SIGKILL, and the call waits, at most `limit`, until none of
/// their members lives.
EndedGroups endKilledRunGroups(const std::vector<CommandGroup>& groups, const std::string& bootId,
                               const std::string& token, std::chrono::milliseconds limit);

}  // namespace Rilk
