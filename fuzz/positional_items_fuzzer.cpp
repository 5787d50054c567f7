// libFuzzer entry: arbitrary bytes as the positional items of a run (one per line) in a
// project made for the fuzzing run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "positional_items_entry.h"
#include "run_directory.h"
#include "util/logger.h"

namespace {

/// The run's directory, made by LLVMFuzzerInitialize.
std::filesystem::path projectDirectory;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Rilk::verbosity = 8;
    projectDirectory = RilkFuzz::makeRunDirectory("rilk-items");
    RilkFuzz::makeItemsProject(projectDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RilkFuzz::applyPositionalItems(std::string(reinterpret_cast<const char*>(data), size),
                                   projectDirectory);
    return 0;
}
