// Replays the inputs kept from fuzzing runs (fuzz/regressions and the seed corpus) through
// the fuzz target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/every_entry.h"

namespace {

std::filesystem::path fuzzDirectory() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz";
}

TEST(FuzzRegression, KeptInputsRunCleanly) {
    int inputs = 0;
    for (const char* folder : {"regressions", "corpus"}) {
        for (const auto& entry : std::filesystem::directory_iterator(fuzzDirectory() / folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
            testing::internal::CaptureStderr();
            RilkFuzz::parseFromEveryEntry(text);
            testing::internal::GetCapturedStderr();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
