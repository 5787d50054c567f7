#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

    std::filesystem::path projectRoot;
    std::filesystem::path projectFile;
    // The unit index and `mainTarget` take their place here.
    std::atomic<std::int32_t> unnamedUnitCounter{1};
    std::filesystem::path unitFile{"rilk.txt"};
    std::int32_t unitFileMode = 0;  ///< 0 none, 1 set by -f, 2 set by -c
    std::vector<std::string> positionalItems;
    // `project` and `registry` take their place here.
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
