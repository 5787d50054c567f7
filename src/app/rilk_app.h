#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/project.h"
#include "app/unit_index.h"
#include "types/qualified_target_name.h"
#include "types/unit.h"

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
    // `registry` takes its place here.
    std::map<std::filesystem::path, std::string> loadedUnitFiles;
    // `tools` and `runtimeContexts` take their place here.
    bool mainUnitsLoaded = false;
    // The implicit, command-line and no-project contexts, the build cache and the selected
    // profile take their place here.
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
