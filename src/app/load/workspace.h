#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/load/load_options.h"
#include "app/load/project.h"
#include "app/load/unit_index.h"
#include "types/context.h"
#include "types/profile.h"
#include "types/qualified_target_name.h"
#include "util/ci_string.h"

namespace Rilk {

class RilkRegistry;

/// A loaded project with the context every one of its targets starts from.
struct ProjectRuntimeContext {
    ProjectPtr project;
    Context context;
};

/// The runtime contexts by project namespace (the project's name), case-insensitive.
using RuntimeContextMap = std::map<Util::CiString, ProjectRuntimeContext>;

/// Everything a run loads before it builds: the project root and file, the main project
/// with its imports, every unit, the target to build, the contexts the targets start from.
/// Made by `loadWorkspace`, then read by the tools, the build and the listings.
struct Workspace {
    std::filesystem::path projectRoot;
    std::filesystem::path projectFile;
    /// The main project; null in a run without a project file.
    ProjectPtr project;
    UnitIndex unitIndex;
    /// The unit files loaded so far, each with the name of its unit.
    std::map<std::filesystem::path, std::string> loadedUnitFiles;
    /// The next number a unit file without `unit` line is named with.
    std::atomic<std::int32_t> unnamedUnitCounter{1};
    bool mainUnitsLoaded = false;
    /// The target a build builds: namespace, unit and target.
    QualifiedTargetName mainTarget;
    Context implicitVariables;
    /// The assignments among the positional items.
    Context commandLineContext;
    /// The context of a run without project: implicit variables and command line.
    Context implicitContext;
    /// The variables the command-line assignments set in the runtime contexts (none with
    /// `-c`); filled with those contexts.
    std::set<Util::CiString> commandLineNames;
    std::shared_ptr<Profile> selectedProfile;
    RuntimeContextMap runtimeContexts;
};

/// What the caller does at the points of the load where the rest of a run joins in.
class LoadListener {
public:
    virtual ~LoadListener() = default;
    /// The project root is settled, nothing is loaded yet.
    virtual void rootSettled(const Workspace&) {}
    /// The main project and its imports are loaded; false ends the load here.
    virtual bool projectLoaded(const Workspace&) { return true; }
    /// The implicit variables are set; the units are loaded next.
    virtual void unitsAboutToLoad(const Workspace&) {}
};

/// Loads the workspace of a run from its options, the registry naming the projects a
/// project imports by name (null when there is none): settles the project root, loads the
/// main project, its imports and profile, the implicit variables, the units, and sorts the
/// positional items out. The runtime contexts are made later, by the build. Every failure
/// is thrown.
void loadWorkspace(Workspace& workspace, const LoadOptions& options, const RilkRegistry* registry,
                   LoadListener& listener);

/// When a project file was found: creates and loads the main project, sets the unit
/// index's defaults from it, loads its own units, selects the profile a positional item
/// names and loads the projects it imports.
void loadMainProject(Workspace& workspace, const LoadOptions& options,
                     const RilkRegistry* registry);

/// Fails, naming the main unit's files, when the main unit has no target to build (an empty
/// unit file, and no target named on the command line).
void requireMainTarget(const Workspace& workspace);

/// Loads the units a build or listing needs and settles `mainTarget`: the main project's
/// and its imports' units; without a project the unit file (also registered as unit "1");
/// with -c the empty unit "cmdline".
void loadMainUnits(Workspace& workspace, const LoadOptions& options);

}  // namespace Rilk
