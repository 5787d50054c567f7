#pragma once

#include <filesystem>
#include <string>

namespace RilkTest {

/// A fresh directory under the system's temporary directory, removed with everything in
/// it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    /// Writes a file below the directory (creating parent directories) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;

private:
    std::filesystem::path path_;
};

/// The whole content of `file`, byte for byte; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace RilkTest
