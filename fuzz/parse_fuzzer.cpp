// libFuzzer entry: arbitrary bytes as the text of every file kind and of one assignment.
#include <cstddef>
#include <cstdint>
#include <string>

#include "every_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RilkFuzz::parseFromEveryEntry(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
