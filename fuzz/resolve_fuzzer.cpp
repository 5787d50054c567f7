// libFuzzer entry: arbitrary bytes as a unit file whose targets are resolved, with globs
// confined to a temporary directory made for the run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "resolve_entry.h"
#include "run_directory.h"

namespace {

/// The run's directory, made by LLVMFuzzerInitialize.
std::filesystem::path globTree;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    globTree = RilkFuzz::makeRunDirectory("rilk-fuzz");
    RilkFuzz::makeGlobTree(globTree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RilkFuzz::resolveUnitText(std::string(reinterpret_cast<const char*>(data), size), globTree);
    return 0;
}
