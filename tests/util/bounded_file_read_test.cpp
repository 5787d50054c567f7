#include "util/bounded_file_read.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

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
