#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/tool_tables.h"
#include "util/ci_string.h"

namespace Rilk {

class Matcher;

/// Makes the matcher of one tool definition: from the tool's own name (not its type), the
/// definition's assignments without the '!' modifier and those with it. Returns a newly
/// allocated matcher that the caller owns. May throw; the caller then skips the tool.
using ToolFactory = std::function<Matcher*(Util::CiString toolName, AssignmentTable assignments,
                                           AssignmentTable mustAssignments)>;

/// The process-wide map from tool type to factory, names compared ignoring case.
///
/// The tool types fill it during static initialisation, before `main` runs, through
/// static registrar objects that call `registerToolFactory`; afterwards it is only read.
/// There is no lock: registration runs on the one thread of a starting process.
class ToolFactoryRegistry {
public:
    /// The one registry of the process, created on the first call.
    static ToolFactoryRegistry& instance();

    ToolFactoryRegistry(const ToolFactoryRegistry&) = delete;
    ToolFactoryRegistry& operator=(const ToolFactoryRegistry&) = delete;

    /// The factory stored under `name`; an absent name is inserted with an empty factory.
    ToolFactory& entry(const Util::CiString& name);
    /// The factory stored under `name`, or null when there is none.
    const ToolFactory* find(const Util::CiString& name) const;
    /// Stores `factory` under `name`, replacing the factory of an entry equal ignoring case.
    void store(const Util::CiString& name, ToolFactory factory);
    /// The names with a usable factory, in name order, for a message about an unknown type.
    std::vector<std::string> typeNames() const;

private:
    ToolFactoryRegistry();

    std::unordered_map<Util::CiString, ToolFactory> factories_;
};

/// Stores `factory` under `name`. An empty factory is replaced by a copy of the factory
/// registered under `fallbackName` (which may itself be empty). A later registration of
/// the same name replaces the earlier one.
void registerToolFactory(const Util::CiString& name, const Util::CiString& fallbackName,
                         ToolFactory factory);

/// The matcher the factory of `toolType` makes for one tool definition, or null when no
/// usable factory is registered for that type (nothing is logged or thrown then). An
/// exception of the factory passes to the caller unchanged.
Matcher* createToolMatcher(const Util::CiString& toolType, const std::string& toolName,
                           AssignmentTable assignments, AssignmentTable mustAssignments);

}  // namespace Rilk
