#include "util/bounded_file_read.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(BoundedFileRead, ReadsRegularFilesWithinTheLimitAndNamesEveryOtherFile) {
    const RilkTest::TempDir dir;
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        fs::path file;
        std::size_t limit;
        std::optional<std::string> text;  ///< empty: an error of `failure` and `message`
        Util::FileReadFailure failure = Util::FileReadFailure::Missing;
        std::string message = "";
    };
    const fs::path exact = dir.write("exact", "12345");
    const Case cases[] = {
        {exact, 5, "12345"},
        {dir.write("empty", ""), 0, ""},
        {exact, 4, std::nullopt, Util::FileReadFailure::TooLarge,
         "Cannot read '" + exact.string() + "': it is larger than the limit of 4 bytes."},
        {dir.path() / "none", 5, std::nullopt, Util::FileReadFailure::Missing,
         "Cannot read '" + (dir.path() / "none").string() + "': No such file or directory."},
        {dir.path(), 5, std::nullopt, Util::FileReadFailure::Directory,
         "Cannot read '" + dir.path().string() + "': it is a directory."},
        {fifo, 5, std::nullopt, Util::FileReadFailure::NotRegular,
         "Cannot read '" + fifo.string() + "': it is not a regular file."},
        {"/dev/zero", 5, std::nullopt, Util::FileReadFailure::NotRegular,
         "Cannot read '/dev/zero': it is not a regular file."},
    };
    for (const Case& c : cases) {
        if (c.text) {
            EXPECT_EQ(Util::readWholeFile(c.file, {c.limit, false}), *c.text) << c.file;
            continue;
        }
        try {
            Util::readWholeFile(c.file, {c.limit, false});
            ADD_FAILURE() << c.file << " was read";
        } catch (const Util::FileReadError& error) {
            EXPECT_EQ(error.failure(), c.failure) << c.file;
            EXPECT_EQ(std::string(error.what()), c.message);
            EXPECT_EQ(error.file(), c.file);
        }
    }
}

TEST(BoundedFileRead, ReadsRegularFilesUpToTheLimitOnly) {
    RilkTest::TempDir dir;
    dir.write("ten", "0123456789");
    dir.write("empty", "");
    std::filesystem::create_directory(dir.path() / "directory");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    const struct {
        const char* name;
        std::size_t limit;
        std::optional<std::string> read;
    } cases[] = {
        {"ten", 10, "0123456789"},  {"ten", 100, "0123456789"},    {"ten", 9, std::nullopt},
        {"empty", 0, ""},           {"missing", 10, std::nullopt}, {"directory", 10, std::nullopt},
        {"fifo", 10, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Util::readRegularFile(dir.path() / c.name, c.limit), c.read)
            << c.name << " " << c.limit;
    }
}

}  // namespace
