// The build cache file read on a thread of its own while the main thread goes on parsing:
// the load that takes the read over must install and report exactly what a load of its
// own would have. Also run under ThreadSanitizer.
#include <string>

#include <gtest/gtest.h>

#include "app/cache/file/build_cache.h"
#include "parser/parse_assignment.h"
#include "support/temp_dir.h"
#include "tools/work_item.h"
#include "types/rilk_value_types.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

/// A cache file of `count` records whose values the fast reader declines (bare words), so
/// that reading it goes through the generated parser.
std::string cacheWithGrammarValues(int count) {
    std::string text = "RILK_CACHE_V5\n" + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) {
        const std::string key = "u::t" + std::to_string(i);
        const std::string input = "SRC = word" + std::to_string(i);
        text += std::to_string(key.size()) + "\n" + key + "\n1\n1\nA 1 0\n" +
                std::to_string(input.size()) + "\n" + input + "\n0\n0\n0\n";
    }
    return text;
}

TEST(BuildCacheEarlyLoad, ReadOnItsOwnThreadMatchesAPlainLoad) {
    RilkTest::TempDir dir;
    const std::string whole = cacheWithGrammarValues(200);
    for (const std::string& bytes : {whole, whole.substr(0, whole.size() / 2)}) {
        dir.write(".rilk_cache", bytes);
        BuildCache plain(dir.path() / ".rilk_cache");
        const std::string expected = RilkTest::capture(6, [&] { plain.load(); });

        BuildCache early(dir.path() / ".rilk_cache");
        // Nothing is printed until the load takes the read over.
        EXPECT_EQ(RilkTest::capture(6, [&] { early.startLoading(); }), "");
        // Meanwhile this thread parses with the same grammar.
        for (int i = 0; i < 200; ++i) {
            const Assignment parsed =
                parseAssignment("x = \"\xc3\xa9" + std::to_string(i) + "\"", "test", true);
            ASSERT_TRUE(parsed.value);
        }
        EXPECT_EQ(RilkTest::capture(6, [&] { early.load(); }), expected);
        EXPECT_EQ(early.size(), plain.size());
        EXPECT_EQ(early.size(), bytes == whole ? 200u : 0u);
    }
}

}  // namespace
}  // namespace Rilk
