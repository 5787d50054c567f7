#pragma once

#include <filesystem>
#include <string>

/// A project known to the registry: its name as written and its directory (made absolute
/// against the registry file's directory when written relative).
struct RilkRegProject {
    std::string name;
    std::filesystem::path path;
};
