// libFuzzer entry: arbitrary bytes as a unit file whose targets are resolved, with globs
// confined to a temporary directory made for the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "resolve_entry.h"

namespace {

std::filesystem::path globTree;

void removeGlobTree() {
    std::error_code ignored;
    std::filesystem::remove_all(globTree, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "rilk-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    globTree = pattern;
    RilkFuzz::makeGlobTree(globTree);
    std::atexit(removeGlobTree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RilkFuzz::resolveUnitText(std::string(reinterpret_cast<const char*>(data), size), globTree);
    return 0;
}
