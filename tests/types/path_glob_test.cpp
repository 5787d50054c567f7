#include "types/path_glob.h"

#include <algorithm>
#include <filesystem>

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

struct MatchCase {
    const char* name;
    const char* pattern;
    bool matches;
};

TEST(GlobMatch, WildcardsMatchWholeNamesCaseSensitively) {
    const MatchCase cases[] = {
        {"a.c", "*.c", true},
        {"a.c", "?.c", true},
        {"ab.c", "?.c", false},
        {".hidden", "*", true},
        {"x.c", "*.C", false},
        {"X.C", "*.C", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"abc", "a*c", true},
        {"abbbc", "a*b*c", true},
        {"abcd", "a*c", false},
        {"a[1].c", "a[1].c", true},
        {"a1.c", "a[1].c", false},
        {"a\\b", "a\\b", true},
        {"aaa", "a**", true},
        {"main.cpp", "*.c*", true},
        {"mississippi", "m*iss*pi", true},
        {"abc", "abc*", true},
        {"ab", "abc*", false},
        {"a.c.c", "*.c", true},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(globMatch(c.name, c.pattern), c.matches) << c.name << " vs " << c.pattern;
    }
}

class ExpandPathGlob : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* file :
             {"src/a.c", "src/b.c", "src/ab.c", "src/x.C", "src/.hidden", "src/notes.txt",
              "src/[1].c", "a/one/b.txt", "a/two/c.txt", "a/file.txt"}) {
            dir.write(file, "x");
        }
    }

    fs::path at(const std::string& relative) const { return dir.path() / relative; }

    RilkTest::TempDir dir;
};

TEST_F(ExpandPathGlob, StarMatchesByEndingAndJoinsDirectoryAndName) {
    EXPECT_THAT(
        expandPathGlob(at("src/*.c")),
        UnorderedElementsAreArray({at("src/a.c"), at("src/b.c"), at("src/ab.c"), at("src/[1].c")}));
}

TEST_F(ExpandPathGlob, QuestionMarkMatchesOneCharacter) {
    EXPECT_THAT(expandPathGlob(at("src/?.c")),
                UnorderedElementsAreArray({at("src/a.c"), at("src/b.c")}));
}

TEST_F(ExpandPathGlob, StarAlsoMatchesHiddenFiles) {
    const auto all = expandPathGlob(at("src/*"));
    EXPECT_EQ(all.size(), 7u);
    EXPECT_NE(std::find(all.begin(), all.end(), at("src/.hidden")), all.end());
}

TEST_F(ExpandPathGlob, MatchingIsCaseSensitive) {
    EXPECT_THAT(expandPathGlob(at("src/*.C")), UnorderedElementsAreArray({at("src/x.C")}));
}

TEST_F(ExpandPathGlob, BracketsAreOrdinaryCharacters) {
    // "[1]" is not a character class, and the component is fixed: no listing.
    EXPECT_THAT(expandPathGlob(at("src/[1].c")), UnorderedElementsAreArray({at("src/[1].c")}));
    EXPECT_THAT(expandPathGlob(at("src/[1]*")), UnorderedElementsAreArray({at("src/[1].c")}));
}

TEST_F(ExpandPathGlob, WildDirectoryKeepsFixedTailWhetherOrNotItExists) {
    // Files of "a" are listed too: only the wild component consults the file system.
    EXPECT_THAT(
        expandPathGlob(at("a/*/b.txt")),
        UnorderedElementsAreArray({at("a/one/b.txt"), at("a/two/b.txt"), at("a/file.txt/b.txt")}));
}

TEST_F(ExpandPathGlob, WildComponentsOnSeveralLevels) {
    EXPECT_THAT(expandPathGlob(at("a/*/*.txt")),
                UnorderedElementsAreArray({at("a/one/b.txt"), at("a/two/c.txt")}));
}

TEST_F(ExpandPathGlob, NothingMatchedGivesAnEmptyList) {
    EXPECT_THAT(expandPathGlob(at("none/*.c")), IsEmpty());
    EXPECT_THAT(expandPathGlob(at("src/*.none")), IsEmpty());
    EXPECT_THAT(expandPathGlob(at("src/a.c/*")), IsEmpty());
}

TEST_F(ExpandPathGlob, PatternWithoutWildcardsIsReturnedAsWritten) {
    EXPECT_THAT(expandPathGlob(at("missing/file.c")),
                UnorderedElementsAreArray({at("missing/file.c")}));
    EXPECT_THAT(expandPathGlob(fs::path("rel/x.c")), UnorderedElementsAreArray({"rel/x.c"}));
}

TEST_F(ExpandPathGlob, RelativePatternWithWildFirstComponentMatchesNothing) {
    EXPECT_THAT(expandPathGlob(fs::path("*.c")), IsEmpty());
}

TEST_F(ExpandPathGlob, UnreadableDirectoryContributesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every directory";
    fs::permissions(at("a/one"), fs::perms::none);
    EXPECT_THAT(expandPathGlob(at("a/*/*.txt")), UnorderedElementsAreArray({at("a/two/c.txt")}));
    fs::permissions(at("a/one"), fs::perms::owner_all);
}

}  // namespace
}  // namespace Rilk
