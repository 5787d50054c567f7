#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_source.h"
#include "types/context.h"
#include "types/profile.h"

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
    /// Throws std::runtime_error or std::invalid_argument for a malformed switch and the
    /// standard conversion errors for a bad number. `-h` prints the usage text and ends the
    /// process with exit status 0.
    void parseCommandLine(int argc, char** argv);

    /// The mode the recorded options ask for, by the precedence of `RunMode`.
    RunMode runMode() const;

    /// Runs everything after the application object exists and the terminate handler is
    /// installed: reads the command line, then runs the selected mode. Returns the exit
    /// status; failures are thrown to the caller.
    int run(int argc, char** argv);

    // Registry (rilk_registry.cpp, registry_mode.cpp).
    /// Loads the per-user registry into `registry` (`registryFailure` when there is none).
    void loadRegistry();

    // Implicit variables and runtime contexts (implicit_variables.cpp, runtime_contexts.cpp).
    /// Fills `implicitVariables`: os_family, year, month, day, project_root, output_def_dir
    /// and cwd.
    void addImplicitVariables();
    /// Without a project: fills `implicitContext` with the implicit variables and, unless
    /// `-c` was given, the command-line assignments on top.
    void ApplyDefaultProfile();

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
    /// The registered tool that builds `target` with the best score, or null when none can;
    /// a tie keeps the tool that comes first by name. The matcher stays owned by `tools`.
    Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) const;

    std::filesystem::path projectRoot;
    std::filesystem::path projectFile;
    // The unit index and `mainTarget` take their place here.
    std::atomic<std::int32_t> unnamedUnitCounter{1};
    std::filesystem::path unitFile{"rilk.txt"};
    std::int32_t unitFileMode = 0;  ///< 0 none, 1 set by -f, 2 set by -c
    std::vector<std::string> positionalItems;
    // `project` takes its place here.
    std::shared_ptr<RilkRegistry> registry;
    /// Why no registry could be set up, when `registry` is null after loading it.
    std::string registryFailure;
    std::map<std::filesystem::path, std::string> loadedUnitFiles;
    ToolMap tools;
    // `runtimeContexts` takes its place here.
    bool mainUnitsLoaded = false;
    Rilk::Context implicitVariables;
    Rilk::Context commandLineContext;
    Rilk::Context implicitContext;
    // The build cache takes its place here.
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
