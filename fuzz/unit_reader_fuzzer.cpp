// libFuzzer entry: arbitrary bytes as a unit file, read by the generated parser and the
// visitor and by the fast reader. The fast reader must decline or build the same unit, and
// read in ranges on several threads it must give what it gives on one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "unit_reader_differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const RilkFuzz::UnitReadings readings = RilkFuzz::readBothWays(text);
    if (!readings.agree()) {
        std::fprintf(stderr, "The fast reader differs.\ngrammar: %s\nfast: %s\nsplit: %s\n",
                     readings.grammar.value_or("(no unit)").c_str(),
                     readings.fast.value_or("(declined)").c_str(),
                     readings.split.value_or("(declined)").c_str());
        std::abort();
    }
    return 0;
}
