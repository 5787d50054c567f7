#include "util/file_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using RilkTest::TempDir;
using testing::HasSubstr;

namespace {

using RilkTest::readFile;

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

size_t entriesIn(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {}));
}

}  // namespace

TEST(FileWriter, CreatesAndReplacesKeepingTheOldMode) {
    TempDir dir;
    const fs::path file = dir.path() / "out.txt";
    Util::writeFileReplacing(file, "first");
    EXPECT_EQ(readFile(file), "first");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(file), 0666 & ~mask);

    fs::permissions(file, fs::perms(0640));
    Util::writeFileReplacing(file, "second");
    EXPECT_EQ(readFile(file), "second");
    EXPECT_EQ(modeOf(file), 0640u);
    EXPECT_EQ(entriesIn(dir.path()), 1u) << "no temporary file may be left behind";
}

TEST(FileWriter, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
    TempDir dir;
    const fs::path real = dir.write("sub/real.txt", "old");
    const fs::path link = dir.path() / "link.txt";
    fs::create_symlink("sub/real.txt", link);
    Util::writeFileReplacing(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new");
}

TEST(FileWriter, AnOwnFileReplacesWhateverStandsInItsPlace) {
    TempDir dir;
    const fs::path real = dir.write("notes.txt", "notes");
    fs::create_symlink("notes.txt", dir.path() / "link");
    fs::create_symlink("/dev/null", dir.path() / "device");
    fs::create_symlink("nowhere", dir.path() / "dangling");
    for (const char* name : {"link", "device", "dangling"}) {
        Util::writeOwnFileReplacing(dir.path() / name, "own");
        EXPECT_FALSE(fs::is_symlink(dir.path() / name)) << name;
        EXPECT_EQ(readFile(dir.path() / name), "own") << name;
    }
    EXPECT_EQ(readFile(real), "notes");
    EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
    fs::permissions(real, fs::perms(0640));
    Util::writeOwnFileReplacing(real, "own");
    EXPECT_EQ(modeOf(real), 0640u);
}

TEST(FileWriter, WritesDevicesInPlace) {
    EXPECT_NO_THROW(Util::writeFileReplacing("/dev/null", "anything"));
    try {
        Util::writeFileReplacing("/dev/full", "anything");
        FAIL() << "writing to /dev/full must fail";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("'/dev/full'"));
    }
}

TEST(FileWriter, FailureLeavesTheOldFileWholeAndNoTemporaryFile) {
    TempDir dir;
    const fs::path file = dir.write("keep.txt", "old content");
    const fs::path target = dir.path() / "adir";
    fs::create_directory(target);
    EXPECT_THROW(Util::writeFileReplacing(target, "x"), std::runtime_error);
    EXPECT_THROW(Util::writeFileReplacing(dir.path() / "missing" / "f.txt", "x"),
                 std::runtime_error);
    EXPECT_EQ(readFile(file), "old content");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

// As on a full disk: the write of the temporary file fails part way.
TEST(FileWriter, WriteCutShortByTheFileSizeLimitLeavesTheOldFileWhole) {
    TempDir dir;
    const fs::path file = dir.path() / "state.txt";
    for (const bool hadOldFile : {true, false}) {
        if (hadOldFile) dir.write("state.txt", "old content");
        const auto result = RilkTest::runInChildWithFileSizeLimit(100, [&] {
            try {
                Util::writeFileReplacing(file, std::string(1000, 'x'));
            } catch (const std::runtime_error& e) {
                std::printf("%s\n", e.what());
            }
        });
        EXPECT_EQ(result.out, "Unable to write file '" + file.string() + "': File too large\n");
        EXPECT_EQ(fs::exists(file), hadOldFile);
        if (hadOldFile) {
            EXPECT_EQ(readFile(file), "old content");
        }
        EXPECT_EQ(entriesIn(dir.path()), hadOldFile ? 1u : 0u) << "no temporary file is left";
        fs::remove(file);
    }
    const auto fits = RilkTest::runInChildWithFileSizeLimit(
        100, [&] { Util::writeFileReplacing(file, std::string(100, 'y')); });
    EXPECT_EQ(fits.exitCode, 0) << fits.err;
    EXPECT_EQ(readFile(file), std::string(100, 'y'));
}
