#pragma once

#include <filesystem>
#include <string>

#include "app/registry/registry_entries.h"

namespace Rilk {

/// The text of the registry file `file` for `entries`: a "projects" block when there are
/// projects, an empty line between the blocks, a "tools" block when there are tools, every
/// line ended by a line feed (nothing at all for an empty registry). A tool's assignments
/// keep their "^" and "!" modifiers and are followed by its conditional blocks. A tool
/// whose written block `entries` keep, for the template it still has, is written with
/// that block as it was written instead.
///
/// The text is parsed back before it is returned. When it would not read back as `entries`
/// (a name that is no identifier of the language, a path holding a double quote, a value
/// without a written form ...), throws Rilk::RilkException naming the first such entry,
/// the reason and the file, which the caller then leaves untouched.
std::string registryFileText(const RegistryEntries& entries, const std::filesystem::path& file);

}  // namespace Rilk
