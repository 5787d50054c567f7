#include "tools/normalized_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using RilkTest::TempDir;

TEST(NormalizedPath, LinksAndDotsLeadToOneText) {
    TempDir dir;
    const fs::path real = fs::canonical(dir.path()) / "real";
    fs::create_directories(real / "bin");
    fs::create_directory_symlink(real, dir.path() / "link");

    EXPECT_EQ(Rilk::normalizePath(dir.path() / "link" / "bin"), real / "bin");
    EXPECT_EQ(Rilk::normalizedPathText(dir.path() / "real" / "." / "bin" / ".." / "bin"),
              (real / "bin").native());
    // The part that does not exist is kept, made lexically normal.
    EXPECT_EQ(Rilk::normalizePath(dir.path() / "link" / "no" / ".." / "new"), real / "new");
}

TEST(NormalizedPath, InsertReportsOnlyTheFirstNameOfAFile) {
    TempDir dir;
    const fs::path file = dir.write("bin/gcc", "");
    fs::create_symlink("gcc", dir.path() / "bin" / "cc");
    std::set<std::string> seen;
    EXPECT_TRUE(Rilk::insertNormalizedPath(seen, file));
    EXPECT_FALSE(Rilk::insertNormalizedPath(seen, dir.path() / "bin" / "cc"));
    EXPECT_FALSE(Rilk::insertNormalizedPath(seen, dir.path() / "bin" / ".." / "bin" / "gcc"));
    EXPECT_TRUE(Rilk::insertNormalizedPath(seen, dir.path() / "bin"));
    EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
