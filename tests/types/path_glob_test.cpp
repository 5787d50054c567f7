#include "types/path_glob.h"

#include <algorithm>

#include "types/rilk_errors.h"

#include <gmock/gmock.h>

#include "support/temp_dir.h"

using namespace Rilk;
namespace fs = std::filesystem;
using ::testing::UnorderedElementsAreArray;

TEST(GlobMatch, WildcardsMatchWholeNamesCaseSensitively) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"a.c", "?.c", true},
        {"ab.c", "?.c", false},
        {".hidden", "*", true},
        {"x.c", "*.C", false},
        {"", "*", true},
        {"a", "", false},
        {"abbbc", "a*b*c", true},
        {"abcd", "a*c", false},
        {"a1.c", "a[1].c", false},
        {"a[1].c", "a[1].c", true},
        {"a\\b", "a\\b", true},
        {"aaa", "a**", true},
        {"mississippi", "m*iss*pi", true},
        {"ab", "abc*", false},
        {"a.c.c", "*.c", true},
        // A "*" in the name is an ordinary character that a pattern's "*" matches.
        {"*x.c", "*.c", true},
        {"inc*[x", "inc*", true},
        {"a*b", "a*b", true},
        {"a*b", "a?b", true},
        {"ab", "a*b", true},
        {"a*", "a\\*", false},
    };
    for (const auto& [name, pattern, matches] : cases) {
        EXPECT_EQ(globMatch(name, pattern), matches) << name << " vs " << pattern;
    }
}

TEST(ExpandPathGlob, MatchesWildComponentsAgainstTheDirectoryTree) {
    RilkTest::TempDir dir;
    for (const char* file : {"src/a.c", "src/b.c", "src/ab.c", "src/x.C", "src/.hidden",
                             "src/[1].c", "a/one/b.txt", "a/two/c.txt", "a/file.txt"}) {
        dir.write(file, "");
    }
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"src/*.c", {"src/a.c", "src/b.c", "src/ab.c", "src/[1].c"}},
        {"src/?.c", {"src/a.c", "src/b.c"}},
        {"src/*.C", {"src/x.C"}},
        {"src/.*", {"src/.hidden"}},
        {"src/*", {"src/a.c", "src/b.c", "src/ab.c", "src/x.C", "src/.hidden", "src/[1].c"}},
        {"src/[1]*", {"src/[1].c"}},
        // Only wild components look at the disk: files are listed too, fixed tails kept.
        {"a/*/b.txt", {"a/one/b.txt", "a/two/b.txt", "a/file.txt/b.txt"}},
        {"a/*/*.txt", {"a/one/b.txt", "a/two/c.txt"}},
        {"missing/file.c", {"missing/file.c"}},
        {"none/*.c", {}},
        {"src/a.c/*", {}},
    };
    for (const auto& [pattern, matches] : cases) {
        std::vector<fs::path> expected;
        for (const std::string& match : matches) expected.push_back(dir.path() / match);
        EXPECT_THAT(expandPathGlob(dir.path() / pattern), UnorderedElementsAreArray(expected))
            << pattern;
    }
    // Matches come in name order, whatever order the directory keeps them in.
    const std::vector<fs::path> ordered = expandPathGlob(dir.path() / "src/*");
    EXPECT_TRUE(std::is_sorted(ordered.begin(), ordered.end()));
    // A relative pattern starts from the empty path.
    EXPECT_THAT(expandPathGlob("rel/x.c"), UnorderedElementsAreArray({fs::path("rel/x.c")}));
    EXPECT_TRUE(expandPathGlob("*.c").empty());
}

TEST(ExpandPathGlob, ListsNoDirectoryTwiceOnOnePathAndStaysInsideItsConfinement) {
    RilkTest::TempDir dir;
    dir.write("L/a.c", "");
    dir.write("L/sub/b.c", "");
    fs::create_directory_symlink(".", dir.path() / "L" / "self");
    fs::create_directory_symlink("..", dir.path() / "L" / "sub" / "up");
    const auto found = [&](const std::string& pattern) {
        std::vector<std::string> relative;
        for (const fs::path& path : expandPathGlob(dir.path() / pattern)) {
            relative.push_back(path.lexically_relative(dir.path()).string());
        }
        return relative;
    };
    // "self" and "sub/up" lead back to "L", which is listed already on those paths.
    EXPECT_THAT(found("L/*/*"), UnorderedElementsAreArray({"L/sub/b.c", "L/sub/up"}));
    EXPECT_THAT(found("L/*/*/*"), UnorderedElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(found("L/self/sub/*"),
                UnorderedElementsAreArray({"L/self/sub/b.c", "L/self/sub/up"}));
    confineGlobs(dir.path() / "L" / "sub");
    EXPECT_THAT(found("L/*"), UnorderedElementsAreArray(std::vector<std::string>{}));
    EXPECT_THAT(found("L/sub/*.c"), UnorderedElementsAreArray({"L/sub/b.c"}));
    confineGlobs({});
    EXPECT_THROW(expandPathGlob(dir.path() / std::string("L\0/*", 4)), RilkException);
}

TEST(ExpandPathGlob, ABaseDirectoryIsJoinedAsWrittenNeverGlobbed) {
    RilkTest::TempDir dir;
    for (const char* file : {"p*/src/a.c", "p*/src/b.c", "px/src/a.c", "px/src/c.c"}) {
        dir.write(file, "");
    }
    const fs::path base = dir.path() / "p*";
    EXPECT_THAT(expandPathGlob(base, "src/*.c"),
                UnorderedElementsAreArray({base / "src/a.c", base / "src/b.c"}));
    EXPECT_THAT(expandPathGlob(base, "src/a.c"), UnorderedElementsAreArray({base / "src/a.c"}));
    // An absolute pattern stands alone; doubled separators of the base fold as before.
    EXPECT_THAT(expandPathGlob(base, dir.path() / "px/src/c.*"),
                UnorderedElementsAreArray({dir.path() / "px/src/c.c"}));
    EXPECT_THAT(expandPathGlob(dir.path().string() + "//p*", "src/b.*"),
                UnorderedElementsAreArray({base / "src/b.c"}));
}
