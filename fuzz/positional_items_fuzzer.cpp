// libFuzzer entry: arbitrary bytes as the positional items of a run (one per line) in a
// project made for the fuzzing run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "positional_items_entry.h"
#include "util/logger.h"

namespace {

std::filesystem::path projectDirectory;

void removeProject() {
    std::error_code ignored;
    std::filesystem::remove_all(projectDirectory, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Rilk::verbosity = 8;
    std::string pattern = (std::filesystem::temp_directory_path() / "rilk-items-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    projectDirectory = pattern;
    RilkFuzz::makeItemsProject(projectDirectory);
    std::atexit(removeProject);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RilkFuzz::applyPositionalItems(std::string(reinterpret_cast<const char*>(data), size),
                                   projectDirectory);
    return 0;
}
