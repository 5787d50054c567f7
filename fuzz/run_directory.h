#pragma once

// A fuzzing run's own temporary directory, made once at start and removed at exit.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace RilkFuzz {

/// A new directory below the system's temporary directory, named `prefix` and a unique
/// suffix; removed with everything in it when the process exits. Aborts when it cannot be
/// made, since no input could be run then.
inline const std::filesystem::path& makeRunDirectory(const char* prefix) {
    static std::filesystem::path directory;
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    directory = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    });
    return directory;
}

}  // namespace RilkFuzz
