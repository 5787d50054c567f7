#pragma once

#include <string>
#include <vector>

#include "app/jobs/build_interrupt.h"
#include "app/jobs/run_journal.h"
#include "tools/recipe.h"

namespace Rilk {

/// The result of a command that did not exit normally, when the signal that ended it is
/// not known. A command killed by a known signal gives that signal's number negated.
inline constexpr int kCommandSignalled = -1;

/// Runs one recipe's command as "/bin/sh" "-c" command in the recipe's working directory,
/// with `environment` ("NAME=value" entries), in a process group of its own that is
/// published in `slot` while it runs, and waits for it. Its standard input is rilk's own,
/// or empty in place of a terminal (`addCommandInput`).
///
/// Returns the shell's exit status; the signal's number negated when it was killed;
/// `kCommandSignalled` when a stop signal arrived while it ran (it did not finish, whatever
/// status it ended with); the `errno`
/// value when the command could not be started (a working directory that cannot be
/// entered gives 2, `ENOENT`, like a missing one) or not waited for. The child is always
/// reaped. Standard output is flushed first, so the command's output follows everything
/// printed before it. Safe to call from several threads at once.
///
/// Why a command could not be started is logged, or, when `notStarted` is given, stored
/// there for the caller's failure message ("command could not start in '<directory>':
/// <reason>"); it stays as it was when the command started. With a `journal`, the
/// command's process group is added to it as soon as the command has started.
int runCommand(const Recipe& recipe, const std::vector<std::string>& environment,
               RunningCommandSlot& slot, std::string* notStarted = nullptr,
               RunJournal* journal = nullptr);

}  // namespace Rilk
