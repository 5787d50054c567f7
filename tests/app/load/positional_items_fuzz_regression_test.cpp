// Replays the inputs kept for the positional-item fuzz target (fuzz/items_regressions and
// its seed corpus) through the target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../../fuzz/positional_items_entry.h"
#include "support/temp_dir.h"
#include "util/logger.h"

TEST(PositionalItemsFuzzRegression, KeptInputsRunCleanly) {
    const auto fuzz =
        std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
    const RilkTest::TempDir project;
    RilkFuzz::makeItemsProject(project.path());
    const int savedVerbosity = Rilk::verbosity;
    Rilk::verbosity = 8;
    int inputs = 0;
    for (const char* folder : {"items_regressions", "items_corpus"}) {
        if (!std::filesystem::exists(fuzz / folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            std::ostringstream text;
            text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            testing::internal::CaptureStderr();
            RilkFuzz::applyPositionalItems(text.str(), project.path());
            testing::internal::GetCapturedStderr();
            ++inputs;
        }
    }
    Rilk::verbosity = savedVerbosity;
    EXPECT_GT(inputs, 0);
}
