#pragma once

#include <filesystem>
#include <string>

#include "tools/tool_probe.h"

namespace Rilk {

/// `runToolCapture` with the default timeout, run at most once per program file and
/// argument text in a process: the answer is kept and handed out again. A program is
/// known by its file (links resolved), its size and its modification time, so every name
/// or link that leads to one file shares its answers, also across searches of the same
/// directories by several tool definitions. Once a probe of a file has timed out, every
/// later probe of that file fails at once (status -1, `timedOut`) without running it.
/// Safe to call from several threads.
ToolRunResult probeTool(const std::filesystem::path& tool, const std::string& arguments);

}  // namespace Rilk
