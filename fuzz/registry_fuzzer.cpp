// libFuzzer entry: arbitrary bytes as a registry file. A registry that loads must be
// written as a text that reads back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry_entry.h"
#include "util/logger.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Rilk::verbosity = 8;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!RilkFuzz::registryReadsBackWhole(std::string(reinterpret_cast<const char*>(data), size))) {
        std::fprintf(stderr, "A loaded registry does not read back from its written text.\n");
        std::abort();
    }
    return 0;
}
