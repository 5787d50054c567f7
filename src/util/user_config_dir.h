#pragma once

#include <filesystem>

namespace Rilk {

/// The per-user directory of rilk, `$HOME/.config/rilk`, created with any missing parents
/// on every call. Throws std::runtime_error "Unable to resolve HOME path." when HOME is unset
/// or empty, and the file-system error when the directory cannot be created.
std::filesystem::path getUserConfigDir();

}  // namespace Rilk
