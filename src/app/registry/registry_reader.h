#pragma once

#include <filesystem>
#include <string>

#include "app/registry/registry_entries.h"

namespace Rilk {

/// Reads the text of a registry file. `file` names it in error messages, and a relative
/// project path is taken against its directory. Throws std::runtime_error with the first
/// syntax error (file, line and column), "Unable to parse registry file." when the text
/// holds no registry, or the visitor's error.
RegistryEntries readRegistryText(const std::string& text, const std::filesystem::path& file);

}  // namespace Rilk
