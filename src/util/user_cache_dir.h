#pragma once

#include <filesystem>

namespace Rilk {

/// The per-user cache directory of rilk: `$XDG_CACHE_HOME/rilk` when XDG_CACHE_HOME is an
/// absolute path, else `$HOME/.cache/rilk`; empty when HOME is unset or empty too. Nothing
/// is created: whoever writes there creates the directory, and a reader finds no file.
std::filesystem::path getUserCacheDir();

}  // namespace Rilk
