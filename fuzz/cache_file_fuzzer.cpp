// libFuzzer entry: arbitrary bytes as a build cache file. Records that load must be saved
// as a file that loads and saves the same again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "cache_file_entry.h"
#include "run_directory.h"
#include "util/logger.h"

namespace {

/// The run's directory, made by LLVMFuzzerInitialize.
std::filesystem::path cacheDirectory;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Rilk::verbosity = 8;
    cacheDirectory = RilkFuzz::makeRunDirectory("rilk-cache");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!RilkFuzz::cacheReadsBackWhole(bytes, cacheDirectory / ".rilk_cache")) {
        std::fprintf(stderr, "A loaded cache is not saved the same twice.\n");
        std::abort();
    }
    return 0;
}
