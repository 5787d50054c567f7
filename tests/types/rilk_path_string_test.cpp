#include "types/rilk_path_string.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace Rilk {
namespace {

TEST(RilkPathStringTest, DisplaysItsFullPath) {
    EXPECT_EQ(makePathString("src", "/p")->toDisplayString(), "P\"/p/src\"");
    EXPECT_EQ(makePathString("src", "")->toDisplayString(), "P\"src\"");
    EXPECT_EQ(makePathString("/abs", "/p")->toDisplayString(), "P\"/abs\"");
    EXPECT_EQ(makePathString("src", "/p")->toString(), "src");
}

TEST(RilkPathStringTest, KeepsTheStringTypeName) {
    EXPECT_EQ(makePathString("x", "/b")->typeName(), "RilkString");
}

TEST(RilkPathStringTest, TwoPathsAreEqualWhenTheyNameTheSameFile) {
    RilkTest::TempDir dir;
    dir.write("a.c", "int x;\n");
    const auto viaBase = makePathString("a.c", dir.path());
    const auto absolute = makePathString((dir.path() / "sub" / ".." / "a.c").string(), "/other");
    std::filesystem::create_directory(dir.path() / "sub");
    EXPECT_TRUE(viaBase->equals(*absolute));
    EXPECT_FALSE(viaBase->notEquals(*absolute));
}

TEST(RilkPathStringTest, MissingFilesAreNeverEqual) {
    const auto a = makePathString("missing", "/no/such/dir");
    EXPECT_FALSE(a->equals(*makePathString("missing", "/no/such/dir")));
}

TEST(RilkPathStringTest, FallsBackToTextForOtherStrings) {
    const auto path = makePathString("A.C", "/p");
    EXPECT_TRUE(path->equals(*makeString("a.c")));
    EXPECT_TRUE(makeString("a.c")->equals(*path));
}

TEST(RilkPathStringTest, CloneKeepsTheBaseDirectory) {
    const auto copy = std::dynamic_pointer_cast<RilkPathString>(makePathString("f", "/b")->clone());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->fullPath(), "/b/f");
}

}  // namespace
}  // namespace Rilk
