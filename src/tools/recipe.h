#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// One command of a job: a shell command line with the directory it runs in and the
/// directories put in front of `PATH` for it. A plain copyable value: the jobs run their
/// own copies, so no job thread ever reads the builder that made them.
struct Recipe {
    /// What the job runner does with a recipe.
    enum Kind : std::int32_t {
        Run = 0,     ///< run the command ("/bin/sh" "-c" command)
        NotRun = 1,  ///< do not run it; the job ends here with result 38
    };

    /// The command line, handed whole to the shell.
    std::string command;
    /// The directory the command runs in; empty means the program's current directory.
    std::filesystem::path workingDirectory;
    /// `Run` or `NotRun`; any other value is run like `Run`.
    std::int32_t kind = Run;
    /// Directories put in front of `PATH` for this command, in order.
    std::vector<std::filesystem::path> pathDirectories;
};

}  // namespace Rilk
