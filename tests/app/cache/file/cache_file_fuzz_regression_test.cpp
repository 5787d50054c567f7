// Replays the inputs kept for the cache file fuzz target (fuzz/cache_regressions and its
// seed corpus) through the target's code, so that every build checks them.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../../../fuzz/cache_file_entry.h"
#include "support/temp_dir.h"
#include "util/logger.h"

TEST(CacheFileFuzzRegression, KeptInputsLoadAndSaveTheSameTwice) {
    const auto fuzz =
        std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
    const RilkTest::TempDir directory;
    const int savedVerbosity = Rilk::verbosity;
    Rilk::verbosity = 8;
    int inputs = 0;
    for (const char* folder : {"cache_regressions", "cache_corpus"}) {
        if (!std::filesystem::exists(fuzz / folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / folder)) {
            EXPECT_TRUE(RilkFuzz::cacheReadsBackWhole(RilkFuzz::fileBytes(entry.path()),
                                                      directory.path() / ".rilk_cache"))
                << entry.path();
            ++inputs;
        }
    }
    Rilk::verbosity = savedVerbosity;
    EXPECT_GT(inputs, 0);
}
