// Replays the inputs kept for the registry fuzz target (fuzz/registry_regressions and its
// seed corpus) through the target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../../fuzz/registry_entry.h"

TEST(RegistryFuzzRegression, KeptInputsLoadOrFailAndReadBackWhole) {
    const auto fuzz =
        std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
    int inputs = 0;
    for (const char* folder : {"registry_regressions", "registry_corpus"}) {
        if (!std::filesystem::exists(fuzz / folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            std::ostringstream text;
            text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            EXPECT_TRUE(RilkFuzz::registryReadsBackWhole(text.str())) << entry.path();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}
