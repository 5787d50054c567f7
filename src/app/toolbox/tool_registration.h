#pragma once

#include <memory>
#include <string>

#include "app/load/project.h"
#include "app/toolbox/tool_map.h"

namespace Rilk {

class RilkRegistry;

/// Empties `tools`, then registers the static tools, the registry's tools in name order
/// (none when `registry` is null) and the tools of `project` and its imports.
void registerTools(ToolMap& tools, const RilkRegistry* registry, const ProjectPtr& project);

/// Stores "default_basic" (type "command") and "default_no_tool" (type "no_tool").
void createStaticTools(ToolMap& tools);

/// Whether `name` is the name of one of the static tools.
bool isStaticTool(const std::string& name);

/// The matcher for one tool definition, or null when it cannot be made (the reason is
/// logged as a warning).
std::shared_ptr<Matcher> createTool(const ToolSource& source);

/// Creates the tool and stores it under its name, replacing an earlier one with a
/// warning.
void registerTool(ToolMap& tools, const ToolSource& source);

/// Registers the tools of `project` as "<project>/<tool>", then, depth first, those of
/// the projects it imports (once each).
void registerProjectTools(ToolMap& tools, const ProjectPtr& project);

}  // namespace Rilk
