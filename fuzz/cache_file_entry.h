#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "app/cache/file/build_cache.h"

namespace RilkFuzz {

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

/// Reads `bytes` as a build cache file. When records load, saves them to `file`, loads that
/// file into a new cache and saves it again. Returns false when the second save differs
/// from the first: records that load must be kept as they are from run to run.
inline bool cacheReadsBackWhole(std::string_view bytes, const std::filesystem::path& file) {
    Rilk::BuildCache cache(file);
    cache.loadBytes(bytes);
    if (cache.size() == 0) return true;
    cache.save();
    const std::string first = fileBytes(file);
    Rilk::BuildCache again(file);
    again.load();
    again.save();
    return fileBytes(file) == first;
}

}  // namespace RilkFuzz
