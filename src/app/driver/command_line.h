#pragma once

#include <cstdint>
#include <string>

#include "app/load/load_options.h"
#include "app/toolbox/best_tool.h"

namespace Rilk {

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

/// The options of a run, read from its command line: those of the load and of the tool
/// choice, and the driver's own.
struct RunOptions {
    LoadOptions load;
    MatchWeights weights;
    std::int32_t verbosity = 5;
    std::int32_t jobs = 1;
    bool dump = false;
    std::string listTargetsUnit;
    bool listUnits = false;
    bool listProfiles = false;
    bool createProject = false;
    bool registerProject = false;
    bool findCompilers = false;
    bool printVersion = false;
    std::string outFile;
};

/// Reads the program's arguments into options and positional items; `-v` also sets the
/// logger's threshold. Throws std::runtime_error or std::invalid_argument for a malformed
/// switch and the standard conversion errors for a bad number. `-h` prints the usage text
/// and ends the process with exit status 0.
RunOptions parseCommandLine(int argc, char** argv);

/// The mode the options ask for, by the precedence of `RunMode`.
RunMode runMode(const RunOptions& options);

}  // namespace Rilk
