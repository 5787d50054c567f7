#pragma once

#include <chrono>
#include <cstddef>

namespace Rilk {

/// How long `endLeftoverCommands` waits for the processes it asked to end before it
/// kills them, and how long it then waits for them to be gone.
inline constexpr std::chrono::seconds kLeftoverGrace{5};
inline constexpr std::chrono::seconds kLeftoverKillLimit{10};

/// Ends what this run's commands, and the runs nested in them, left running, for a run that
/// will not succeed (a failed command, a stop): every process group with a living process
/// of this process's session that carries this run's token (`ownRunToken`). Never the group
/// of this process or of one of its ancestors (the build it is nested in), never a process
/// of another session (a daemon, and all it starts), never a process that does not carry
/// the token: a group number is signalled only while a process of it is shown to be the
/// run's, as found afresh before each signal.
///
/// The groups get SIGTERM (and SIGCONT, to wake a stopped one); whatever of them still
/// lives after `grace` gets SIGKILL, until none lives or `killLimit` has passed. Returns how
/// many groups it found; none when no command of the run left anything. The proof is
/// `RunProof`'s, with this run's token and session and no recorded groups.
std::size_t endLeftoverCommands(std::chrono::milliseconds grace = kLeftoverGrace,
                                std::chrono::milliseconds killLimit = kLeftoverKillLimit);

}  // namespace Rilk
