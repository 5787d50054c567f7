#pragma once

#include <memory>
#include <string>

#include "types/context_template.h"

namespace Rilk {

/// A build tool as written in the registry's or a project's `tools` block: its name as
/// written and the template of its variable block. The tool's type and settings are
/// assignments of that block ("tool_type" ...); an assignment written with "!" keeps its
/// modifier, which marks a variable the tool requires.
struct BuildToolDefinition {
    std::string name;
    std::shared_ptr<ContextTemplate> contextTemplate;
};

}  // namespace Rilk
