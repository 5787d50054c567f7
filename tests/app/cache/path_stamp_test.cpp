// File times are read relative to base directories kept open; the answer must be the one a
// `stat` of the full path text gives, and a directory replaced by a job must be seen anew.
#include "app/cache/path_stamp.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

std::optional<Util::FileStamp> statOfFullPath(const RilkPathString& path) {
    const std::string text = path.fullPathText();
    struct stat info {};
    if (text.find('\0') != std::string::npos || ::stat(text.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return Util::stampOf(info);
}

void age(const fs::path& file, int seconds) {
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

TEST(PathWriteTime, AnswersAsTheFullPathDoes) {
    RilkTest::TempDir dir;
    const std::string root = dir.path().string();
    age(dir.write("src/a.c", "a"), 30);
    age(dir.write("b.c", "b"), 20);
    fs::create_symlink(dir.path() / "src", dir.path() / "link");
    fs::create_symlink(dir.path() / "src" / "a.c", dir.path() / "alias.c");
    fs::create_symlink(dir.path() / "gone.c", dir.path() / "dangling.c");
    const struct {
        std::string base, text;
    } paths[] = {
        {root, "src/a.c"},
        {root + "/", "src/a.c"},
        {root + "/src", "a.c"},
        {root + "/link", "a.c"},
        {root + "/src", "../b.c"},
        {root + "/src", "./a.c"},
        {"/elsewhere", root + "/b.c"},
        {"", root + "/b.c"},
        {root, ""},
        {root, "src"},
        {root, "src/"},
        {root, "b.c/"},
        {root, "alias.c"},
        {root, "dangling.c"},
        {root, "missing.c"},
        {root + "/none", "a.c"},
        {root, std::string("b.c\0x", 5)},
        {std::string("/x\0y", 4), root + "/b.c"},
        {root + "/b.c", "x"},
    };
    PathStamps stamps;
    for (int round = 0; round < 2; ++round) {  // opening the directories, then reusing them
        for (const auto& [base, text] : paths) {
            const auto path = makePathString(text, base);
            EXPECT_EQ(stamps.of(*path), statOfFullPath(*path)) << base << " | " << text;
        }
    }
}

TEST(PathWriteTime, SeesADirectoryReplacedOnceForgotten) {
    RilkTest::TempDir dir;
    age(dir.write("out/x.o", "old"), 30);
    const auto path = makePathString("x.o", dir.path() / "out");
    PathStamps stamps;
    const auto before = stamps.of(*path);
    ASSERT_TRUE(before);
    // What a job may do: the directory moves away and a new one takes its place.
    fs::rename(dir.path() / "out", dir.path() / "old");
    const auto replaced = dir.write("out/x.o", "new");
    age(replaced, 10);
    stamps.forgetOpenDirectories();
    EXPECT_EQ(stamps.of(*path), statOfFullPath(*path));
    EXPECT_NE(stamps.of(*path), before);
    fs::remove_all(dir.path() / "out");
    stamps.forgetOpenDirectories();
    EXPECT_EQ(stamps.of(*path), std::nullopt);
}

}  // namespace
}  // namespace Rilk
