#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Rilk {

/// The environment commands start from: the program's as "NAME=value" entries, in order,
/// with the variables set by `setCommandVariable` in place of the program's own. Read it on
/// the main thread before any job starts: job threads then never touch the process
/// environment.
std::vector<std::string> currentEnvironment();

/// Gives every command started from now on `name` with `value` (an empty value: without
/// `name`), whatever the program's own environment holds. Call on the main thread before any
/// job starts; the program's own environment stays as it is.
void setCommandVariable(const std::string& name, const std::string& value);

/// The environment of one command: `inherited` with the non-empty `pathDirectories` put in
/// front of `PATH`, joined by ":". An inherited `PATH` that is unset or empty adds nothing
/// after them; without directories (or only empty ones) the environment is unchanged.
std::vector<std::string> childEnvironment(
    const std::vector<std::string>& inherited,
    const std::vector<std::filesystem::path>& pathDirectories);

}  // namespace Rilk
