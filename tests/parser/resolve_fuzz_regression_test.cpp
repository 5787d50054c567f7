// Replays the inputs kept for the resolving fuzz target (fuzz/resolve_regressions and its
// seed corpus) through the target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/resolve_entry.h"
#include "../support/temp_dir.h"

TEST(ResolveFuzzRegression, KeptInputsResolveCleanly) {
    const auto fuzz =
        std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
    const RilkTest::TempDir directory;
    RilkFuzz::makeGlobTree(directory.path());
    int inputs = 0;
    for (const char* folder : {"resolve_regressions", "resolve_corpus"}) {
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            std::ostringstream text;
            text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            testing::internal::CaptureStderr();
            testing::internal::CaptureStdout();
            RilkFuzz::resolveUnitText(text.str(), directory.path());
            testing::internal::GetCapturedStdout();
            testing::internal::GetCapturedStderr();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}
