// Replays the inputs kept from fuzzing runs (fuzz/regressions and the seed corpus) through
// the fuzz target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/every_entry.h"

TEST(FuzzRegression, KeptInputsRunCleanly) {
    const auto fuzz =
        std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
    int inputs = 0;
    for (const char* folder : {"regressions", "corpus"}) {
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            std::ostringstream text;
            text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            testing::internal::CaptureStderr();
            RilkFuzz::parseFromEveryEntry(text.str());
            testing::internal::GetCapturedStderr();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}
