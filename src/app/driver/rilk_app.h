#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cache/build_cache.h"
#include "app/load/project.h"
#include "app/load/runtime_context.h"
#include "app/toolbox/tool_source.h"
#include "app/load/unit_index.h"
#include "types/context.h"
#include "types/profile.h"
#include "types/qualified_target_name.h"
#include "types/unit.h"

class RilkRegistry;

namespace Rilk {
class Matcher;
class TargetContext;
}  // namespace Rilk

/// The version text `--version` prints.
inline constexpr std::string_view kRilkVersion = "3.11.3.0";

/// What a run does once its command line is read: the first one-shot mode that was asked
/// for, in this order of precedence, or else the build of the main target.
enum class RunMode {
    PrintVersion,
    CreateProject,
    FindCompilers,
    RegisterProject,
    ListTargets,
    ListUnits,
    ListProfiles,
    Build,
};

/// The one application object of a run. `main` keeps it on its stack; it holds the
/// options read from the command line and everything the run loads, and releases them in
/// reverse order of declaration when `main` returns.
class RilkApplication {
public:
    /// Reads the program's arguments into the option fields and `positionalItems`.
    /// Throws std::runtime_error or std::invalid_argument for a malformed switch or a bad
    /// number; warns about switches that match nothing. `-h` prints the usage text and ends
    /// the process with exit status 0.
    void parseCommandLine(int argc, char** argv);

    /// The mode the recorded options ask for, by the precedence of `RunMode`.
    RunMode runMode() const;

    /// Runs everything after the application object exists and the terminate handler is
    /// installed: reads the command line, then runs the selected mode. Returns the exit
    /// status; failures are thrown to the caller.
    int run(int argc, char** argv);

    /// Settles `projectRoot` and, when a project file is found, `projectFile`: with -f the
    /// unit file's directory and no project; with -c nothing; otherwise the nearest
    /// directory upward from the working directory that holds a project file, or without
    /// one the unit file's directory (when it exists) or the working directory.
    void findProjectFile();

    /// When a project file was found: creates and loads the main project into `project`,
    /// sets the unit index's defaults from it and loads its own units.
    void loadMainProject();

    /// Loads the units a build or listing needs and settles `mainTarget`: the main
    /// project's and its imports' units; without a project the unit file (also registered
    /// as unit "1"); with -c the empty unit "cmdline".
    void loadMainUnits();

    /// Loads the unit file of a run without project once per path and registers it under
    /// `ns`; a file that declares no unit gets the next number of `unnamedUnitCounter` as
    /// its name. A path loaded before is only looked up again.
    Rilk::UnitPtr loadUnitFile(const std::filesystem::path& path, const std::string& ns);

    /// Loads and registers every unit of `project`, merging the files of each unit. The main
    /// project's units are loaded once; its first unit is also registered as "1".
    void LoadUnit(const Rilk::ProjectPtr& project);

    /// `LoadUnit` for `project`, then, depth first, for every project it imports.
    void LoadUnits(const Rilk::ProjectPtr& project);

    /// Writes the project-file template ".rilk_project.txt" into the working directory,
    /// naming the project `name` (the working directory's name when empty) and listing the
    /// unit files found below the project root. Refuses, writing nothing, when a name or
    /// path could not be read back by the project-file loader.
    void CreateProjectFile(const std::string& name);

    // Registry (registry_mode.cpp).
    /// Loads the per-user registry into `registry` (`registryFailure` when there is none).
    void loadRegistry();
    /// `-r`: records the main project in the registry and saves it. Fails without a project
    /// or without a registry.
    void registerMainProject();
    /// `--find-compilers` (toolchain_discovery.cpp): stores a tool definition for every GCC
    /// toolchain found below `roots` in the registry and saves it, also when none is found.
    /// Fails without a registry, and leaves a registry file that failed to load untouched.
    void discoverToolchains(const std::vector<std::filesystem::path>& roots);

    // Imports, profiles and positional items (project_imports.cpp, profile_selection.cpp,
    // positional_items.cpp).
    /// Loads the projects `project` imports and, depth first, theirs into its
    /// `importedProjects`. An import that would bring a project back in under the same
    /// active profile while it is being imported is refused as a cycle.
    void ResolveProjectImports(const Rilk::ProjectPtr& project);
    /// Selects the main project's profile that a positional item names (items that name a
    /// target are skipped). A second profile fails.
    void SelectProfiles();
    /// Makes the main project's profile `name` the selected and active one and returns
    /// true; false when there is no such profile. Another profile selected before fails; the
    /// same one again is accepted when `confirming`.
    bool useProfileNamed(const std::string& name, bool confirming);
    /// Sorts the positional items out: the first target name becomes the main target, a
    /// profile name is confirmed, anything else is parsed as an assignment into
    /// `commandLineContext`.
    void HandlePositionalArguments();

    // Implicit variables and runtime contexts (implicit_variables.cpp, runtime_contexts.cpp).
    /// Fills `implicitVariables`: os_family, year, month, day, project_root, output_def_dir
    /// and cwd.
    void addImplicitVariables();
    /// Without a project: fills `implicitContext` with the implicit variables and, unless
    /// `-c` was given, the command-line assignments on top.
    void ApplyDefaultProfile();
    /// The context `project`'s targets start from: the implicit variables, project_root,
    /// the "default" profile, the active profile and PROFILE, and (unless `-c`) the
    /// command-line assignments, each by its own operator. It holds its own copies of the
    /// values.
    Rilk::Context CreateImplicitContextForProject(const Rilk::ProjectPtr& project);
    /// Refills `runtimeContexts` for the main project and, depth first, every imported one.
    /// A namespace used twice fails with "Project namespace '...' is used more than once.".
    void CreateProjectRuntimeContexts();

    // Tools (tool_registration.cpp, best_tool.cpp).
    /// Empties `tools`, then registers the static tools, the registry's tools in name order
    /// and the tools of the main project and its imports.
    void registerBuildTools();
    /// Stores "default_basic" (type "command") and "default_no_tool" (type "no_tool").
    void createStaticTools();
    /// The matcher for one tool definition, or null when it cannot be made (the reason is
    /// logged at level 6).
    std::shared_ptr<Rilk::Matcher> createTool(const ToolSource& source);
    /// Creates the tool and stores it under its name, replacing an earlier one with a
    /// warning.
    void registerTool(const ToolSource& source);
    /// Registers the tools of `project` as "<project>/<tool>", then, depth first, those of
    /// the projects it imports.
    void registerProjectTools(const Rilk::ProjectPtr& project);
    /// The registered tool that builds `target` with the best score, or null when none can;
    /// a tie keeps the tool that comes first by name. The matcher stays owned by `tools`.
    Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) const;

    // The build (build_run.cpp).
    /// Builds the main target after everything it depends on: loads the build cache, makes
    /// the runtime contexts (`-d` shows them), builds, saves the cache and writes the `-o`
    /// file. Returns 0; every failure is thrown.
    int runBuild();
    /// Creates the build cache for `projectRoot` and starts reading its file, which the
    /// build's load then waits for: the file is read while the units load.
    void startLoadingCache();
    /// `-d`: every project's runtime context in namespace order, or the implicit context
    /// without project, and with `-c` the command-line assignments.
    void dumpContexts() const;

    std::filesystem::path projectRoot;
    std::filesystem::path projectFile;
    Rilk::UnitIndex unitIndex;
    /// The target a build builds: namespace, unit and target.
    Rilk::QualifiedTargetName mainTarget;
    std::atomic<std::int32_t> unnamedUnitCounter{1};
    std::filesystem::path unitFile{"rilk.txt"};
    std::int32_t unitFileMode = 0;  ///< 0 none, 1 set by -f, 2 set by -c
    std::vector<std::string> positionalItems;
    /// The main project; null in a run without a project file.
    Rilk::ProjectPtr project;
    std::shared_ptr<RilkRegistry> registry;
    /// Why no registry could be set up, when `registry` is null after loading it.
    std::string registryFailure;
    std::map<std::filesystem::path, std::string> loadedUnitFiles;
    ToolMap tools;
    RuntimeContextMap runtimeContexts;
    bool mainUnitsLoaded = false;
    Rilk::Context implicitVariables;
    Rilk::Context commandLineContext;
    Rilk::Context implicitContext;
    /// Created for `projectRoot` / ".rilk_cache" once the project root is settled in a build
    /// run (or just before the build).
    std::unique_ptr<Rilk::BuildCache> buildCache;
    /// The finished build's state (every target's output context): it goes with the
    /// application, which a release build never tears down object by object.
    std::shared_ptr<void> finishedBuild;
    std::shared_ptr<Rilk::Profile> selectedProfile;
    std::int32_t verbosity = 5;
    std::int32_t jobs = 1;
    bool cmdMode = false;
    bool dump = false;
    std::string listTargetsUnit;
    bool listUnits = false;
    bool listProfiles = false;
    bool createProject = false;
    bool registerProject = false;
    bool findCompilers = false;
    bool printVersion = false;
    std::string outFile;
    std::int32_t exactMatchWeight = 2;
    std::int32_t partialMatchWeight = 1;
    std::int32_t noMatchWeight = 0;
};
