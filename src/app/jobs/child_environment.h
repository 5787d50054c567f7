#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// The program's environment as "NAME=value" entries, in order. Read it on the main
/// thread before any job starts: job threads then never touch the process environment.
std::vector<std::string> currentEnvironment();

/// The environment of one command: `inherited` with the non-empty `pathDirectories` put in
/// front of `PATH`, joined by ":". An inherited `PATH` that is unset or empty adds nothing
/// after them; without directories (or only empty ones) the environment is unchanged.
std::vector<std::string> childEnvironment(
    const std::vector<std::string>& inherited,
    const std::vector<std::filesystem::path>& pathDirectories);

}  // namespace Rilk
