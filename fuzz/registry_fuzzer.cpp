// libFuzzer entry: arbitrary bytes as a registry file. A registry that loads must be
// written as a text that reads back to itself, and the fast registry reader must read it as
// the generated parser and the visitor do, or decline.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry_entry.h"
#include "registry_reader_differential.h"
#include "util/logger.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Rilk::verbosity = 8;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!RilkFuzz::registryReadsBackWhole(text)) {
        std::fprintf(stderr, "A loaded registry does not read back from its written text.\n");
        std::abort();
    }
    if (!RilkFuzz::readRegistryBothWays(text).agree()) {
        std::fprintf(stderr, "The fast registry reader differs from the generated parser.\n");
        std::abort();
    }
    return 0;
}
