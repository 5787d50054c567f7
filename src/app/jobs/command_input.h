#pragma once

#include <spawn.h>

namespace Rilk {

/// Adds to a command's start what gives it its standard input: rilk's own, unless that is a
/// terminal; then `/dev/null`. A command runs in a process group of its own, never the
/// terminal's foreground group, so its first read of the terminal would stop it (SIGTTIN)
/// and the build would wait for ever; so it reads an empty input instead. Whether rilk's
/// input is a terminal is asked once, when the first command starts. Returns 0, or the
/// error that kept the action from being added.
int addCommandInput(posix_spawn_file_actions_t& actions);

}  // namespace Rilk
