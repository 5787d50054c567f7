// A cache file cut, flipped or padded anywhere must load as the empty cache with a message,
// or as records that are each whole: never a crash and never an allocation the file's own
// size does not pay for.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "app/cache/file/build_cache.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::readFile;

class BuildCacheDamage : public ::testing::Test {
protected:
    /// The cache file that a GNU build of the example project leaves behind.
    static void SetUpTestSuite() {
        project_ = new RilkTest::TempDir;
        std::filesystem::copy(std::string(RILK_SOURCE_DIR) + "/examples/hello", project_->path(),
                              std::filesystem::copy_options::recursive);
        RilkTest::TempDir home;
        const RilkTest::ProcessOptions options{.workingDirectory = project_->path(),
                                               .environment = {{"HOME", home.path().string()}}};
        // The example builds with the machine's GCC, which the registry must know first.
        ASSERT_EQ(RilkTest::runRilk({"--find-compilers"}, options).exitCode, 0);
        const auto run = RilkTest::runRilk({}, options);
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        original_ = readFile(project_->path() / ".rilk_cache");
    }
    static void TearDownTestSuite() {
        delete project_;
        project_ = nullptr;
    }

    /// Loads `bytes`; returns what was printed, and in `saved` the file the loaded records
    /// write back (empty when none were loaded).
    std::string load(const std::string& bytes, std::string& saved) {
        BuildCache cache(dir.path() / ".rilk_cache");
        std::string printed = RilkTest::capture(6, [&] { cache.loadBytes(bytes); });
        saved.clear();
        if (cache.size() > 0) {
            RilkTest::capture(9, [&] { cache.save(); });
            saved = readFile(dir.path() / ".rilk_cache");
        }
        return printed;
    }

    static const std::string& original() { return original_; }

    RilkTest::TempDir dir;

private:
    static inline RilkTest::TempDir* project_ = nullptr;
    static inline std::string original_;
};

TEST_F(BuildCacheDamage, EveryTruncationLoadsAllRecordsOrNone) {
    const std::string& whole = original();
    ASSERT_GT(whole.size(), 100u) << whole;
    std::string full;
    EXPECT_EQ(load(whole, full), "");
    ASSERT_EQ(full, whole);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        std::string saved;
        const std::string printed = load(whole.substr(0, size), saved);
        if (saved.empty()) {
            EXPECT_NE(printed.find("Starting with empty cache."), std::string::npos)
                << "cut at " << size << ": " << printed;
        } else {
            // Only the final line feed may go: the last count still reads.
            EXPECT_EQ(saved, whole) << "cut at " << size;
            EXPECT_EQ(size, whole.size() - 1);
        }
    }
}

TEST_F(BuildCacheDamage, FlippedOrInsertedBytesLoadWholeRecordsOrNone) {
    const std::string& whole = original();
    const std::string garbage[] = {std::string("\xff\x00\n", 3), "99999999999999999999\n",
                                   "18446744073709551615\n", "A 9 9\n", "\n\n"};
    const std::size_t step = whole.size() / 41 + 1;
    for (std::size_t at = 0; at < whole.size(); at += step) {
        std::string damaged[3 + std::size(garbage)];
        damaged[0] = whole;
        damaged[0][at] = static_cast<char>(damaged[0][at] ^ 0x5a);
        damaged[1] = whole;
        damaged[1][at] = '9';
        damaged[2] = whole;
        damaged[2][at] = '\n';
        for (std::size_t g = 0; g < std::size(garbage); ++g) {
            damaged[3 + g] = whole.substr(0, at) + garbage[g] + whole.substr(at);
        }
        for (const std::string& bytes : damaged) {
            std::string saved;
            const std::string printed = load(bytes, saved);
            if (saved.empty()) {
                EXPECT_NE(printed, "") << "damage at " << at;
                continue;
            }
            // Whatever loaded is whole: it writes back and reads back unchanged.
            std::string again;
            EXPECT_EQ(load(saved, again), "") << "damage at " << at;
            if (saved != "RILK_CACHE_V5\n0\n") {
                EXPECT_EQ(again, saved) << "damage at " << at;
            }
        }
    }
}

TEST_F(BuildCacheDamage, HugeCountsAndLengthsAreRejectedBeforeAllocating) {
    // Each claims far more than the file holds; reading it must not try to reserve it.
    const char* const cases[] = {
        "RILK_CACHE_V5\n18446744073709551615\n",
        "RILK_CACHE_V5\n1\n4000000000000\nu::t\n",
        "RILK_CACHE_V5\n1\n4\nu::t\n999999999999999\n",
        "RILK_CACHE_V5\n1\n4\nu::t\n1\n99999999999\n",
        "RILK_CACHE_V5\n1\n4\nu::t\n1\n1\nA 1 0\n9999999999999\nX = \"a\"\n",
        "RILK_CACHE_V5\n1\n4\nu::t\n0\n888888888888888888\n",
    };
    for (const char* bytes : cases) {
        std::string saved;
        const std::string printed = load(bytes, saved);
        EXPECT_EQ(saved, "") << bytes;
        EXPECT_NE(printed.find("Starting with empty cache."), std::string::npos) << printed;
    }
}

}  // namespace
}  // namespace Rilk
