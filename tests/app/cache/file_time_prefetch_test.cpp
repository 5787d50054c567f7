// A time read ahead must be the answer a stat of the same full path text gives, consulted
// only for exactly that text, and never once the prefetch is dropped for the jobs. Also run
// under ThreadSanitizer.
#include "app/cache/file_time_prefetch.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/path_stamp.h"
#include "support/temp_dir.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

std::optional<Util::FileState> stateOf(const std::string& text) {
    struct stat info {};
    if (::stat(text.c_str(), &info) != 0) return std::nullopt;
    return Util::stateOf(info);
}

std::optional<Util::FileStamp> statOf(const std::string& text) {
    const std::optional<Util::FileState> state = stateOf(text);
    if (!state) return std::nullopt;
    return state->stamp;
}

void age(const fs::path& file, int seconds) {
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

TEST(FileTimePrefetch, AnswersOnlyAsAStatOfTheSameFullPathText) {
    RilkTest::TempDir dir;
    const std::string root = dir.path().string();
    age(dir.write("src/a.c", "a"), 30);
    age(dir.write("b.c", "b"), 20);
    fs::create_symlink(dir.path() / "src" / "a.c", dir.path() / "alias.c");
    fs::create_symlink(dir.path() / "gone.c", dir.path() / "dangling.c");
    // Read ahead: files, a directory, links, missing files, odd spellings, a relative text
    // and one with a NUL byte (neither of which is read ahead).
    std::vector<std::string> texts = {
        root + "/src/a.c", root + "/b.c",       root + "/src",      root + "/src/",
        root + "/alias.c", root + "/dangling.c", root + "/missing.c", root + "/b.c/",
        root + "//b.c",    root + "/src/../b.c", "b.c",               root + std::string("/b\0c", 4),
        root + "/b.c",  // given twice
    };
    PathStamps stamps;
    auto made = std::make_unique<FileTimePrefetch>(texts, 2);
    FileTimePrefetch& prefetch = *made;
    prefetch.wait();
    EXPECT_EQ(prefetch.size(), texts.size() - 3);
    stamps.usePrefetch(nullptr, std::move(made));

    // Asked as base and text, split in every way a path value may be.
    const struct {
        std::string base, text;
        bool readAhead;  // whether the prefetch answers
    } asked[] = {
        {root, "src/a.c", true},        {root + "/", "src/a.c", true},
        {root + "/src", "a.c", true},   {"", root + "/b.c", true},
        {"/elsewhere", root + "/b.c", true},
        {root, "src", true},            {root, "src/", true},
        {root, "alias.c", true},        {root, "/b.c", false},  // stands alone
        {root + "/src", "../b.c", true},
        {root, "dangling.c", false},    {root, "missing.c", false},
        {root, "b.c/", false},          {root, "./b.c", false},
        {root, "src/a.c/", false},      {"", "b.c", false},
        {root, std::string("b\0c", 3), false},
    };
    for (const auto& [base, text, readAhead] : asked) {
        const auto path = makePathString(text, base);
        const JoinedPath joined = joinPath(path->baseDirectory().native(), path->text());
        const std::optional<Util::FileState> found = prefetch.find(joined);
        EXPECT_EQ(found.has_value(), readAhead) << base << " | " << text;
        if (found) {
            // The status change time comes with the stamp, from the same stat.
            EXPECT_EQ(found, stateOf(path->fullPathText())) << base << " | " << text;
        }
        const std::optional<Util::FileStamp> expected =
            text.find('\0') == std::string::npos ? statOf(path->fullPathText()) : std::nullopt;
        EXPECT_EQ(stamps.of(*path), expected) << base << " | " << text;
    }
}

TEST(FileTimePrefetch, NeverConsultedOnceDroppedOrGone) {
    RilkTest::TempDir dir;
    const fs::path file = dir.write("in.txt", "x");
    age(file, 60);
    const auto path = makePathString("in.txt", dir.path());
    PathStamps stamps;
    const auto readAhead = [&] {
        auto prefetch = std::make_unique<FileTimePrefetch>(std::vector{file.string()}, 1);
        prefetch->wait();
        return prefetch;
    };
    stamps.usePrefetch(nullptr, readAhead());
    const std::optional<Util::FileStamp> before = stamps.of(*path);
    age(file, 10);  // as a job would
    // Still in use: the time read ahead stands for the time a moment ago.
    EXPECT_EQ(stamps.of(*path), before);
    stamps.filesMayChange();
    EXPECT_EQ(stamps.of(*path), statOf(file.string()));
    EXPECT_NE(stamps.of(*path), before);
    // Another in use (as after a second load), then none.
    stamps.usePrefetch(nullptr, readAhead());
    const std::optional<Util::FileStamp> readAgain = statOf(file.string());
    age(file, 30);
    EXPECT_EQ(stamps.of(*path), readAgain);
    stamps.forgetPrefetch(nullptr);
    EXPECT_EQ(stamps.of(*path), statOf(file.string()));
}

// One prefetch per cache file read: each is consulted for its own paths, until it is gone.
TEST(FileTimePrefetch, SeveralInUseEachAnswerForTheirOwnPaths) {
    RilkTest::TempDir dir;
    const fs::path first = dir.write("own.txt", "x");
    const fs::path second = dir.write("imported.txt", "x");
    age(first, 60);
    age(second, 60);
    const auto readAhead = [](const fs::path& file) {
        auto prefetch = std::make_unique<FileTimePrefetch>(std::vector{file.string()}, 1);
        prefetch->wait();
        return prefetch;
    };
    // The caches that give them.
    const char own = 0;
    const char imported = 0;
    PathStamps stamps;
    stamps.usePrefetch(&own, readAhead(first));
    const auto secondPath = makePathString("imported.txt", dir.path());
    std::optional<Util::FileStamp> before;
    {
        stamps.usePrefetch(&imported, readAhead(second));
        before = stamps.of(*secondPath);
        age(first, 10);
        age(second, 10);
        EXPECT_EQ(stamps.of(*secondPath), before);
        EXPECT_NE(stamps.of(*makePathString("own.txt", dir.path())), statOf(first.string()));
    }
    stamps.forgetPrefetch(&imported);
    EXPECT_EQ(stamps.of(*secondPath), statOf(second.string()));
    EXPECT_NE(stamps.of(*secondPath), before);
}

TEST(FileTimePrefetch, ThreadsOnlyForManyPaths) {
    const std::size_t per = FileTimePrefetch::kPathsPerThread;
    const struct {
        std::size_t paths;
        unsigned threads;
    } cases[] = {{0, 0}, {per - 1, 0}, {per, 1}, {2 * per + 1, 2}, {100 * per, 3}};
    for (const auto& [paths, threads] : cases) {
        EXPECT_EQ(FileTimePrefetch::threadsFor(paths), threads) << paths;
    }
    EXPECT_EQ(FileTimePrefetch::start(""), nullptr);
    // Too few for a thread, the paths are still held, so that each is read once.
    std::string texts;
    for (std::size_t i = 0; i + 1 < per; ++i) texts += std::string("/\0", 2);
    const auto few = FileTimePrefetch::start(texts);
    ASSERT_NE(few, nullptr);
    EXPECT_EQ(few->size(), 1u);
}

TEST(FileTimePrefetch, LookupsWhileThreadsReadAndStopsEarly) {
    RilkTest::TempDir dir;
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        texts.push_back(dir.write("f" + std::to_string(i), "").string());
        texts.push_back(dir.path().string() + "/missing" + std::to_string(i));
    }
    for (const bool stopEarly : {false, true}) {
        FileTimePrefetch prefetch(texts, 3);
        if (stopEarly) prefetch.stop();
        for (const std::string& text : texts) {
            const std::optional<Util::FileState> found = prefetch.find({{}, false, text});
            if (found) {
                EXPECT_EQ(found, stateOf(text)) << text;
            }
        }
        prefetch.wait();
        if (stopEarly) continue;
        for (const std::string& text : texts) {
            EXPECT_EQ(prefetch.find({{}, false, text}), stateOf(text)) << text;
        }
    }
}

TEST(FileTimePrefetch, ALookupAheadOfTheThreadsReadsThePathOnce) {
    RilkTest::TempDir dir;
    const fs::path file = dir.write("in.txt", "x");
    age(file, 60);
    const std::string missing = dir.path().string() + "/missing.txt";
    // No threads: every path is left to the lookups.
    FileTimePrefetch prefetch(std::vector<std::string>{file.string(), missing}, 0);
    const std::optional<Util::FileState> first = prefetch.find({{}, false, file.string()});
    EXPECT_EQ(first, stateOf(file.string()));
    age(file, 10);
    // Read once: the time stands for the time a moment ago, as a thread's would.
    EXPECT_EQ(prefetch.find({{}, false, file.string()}), first);
    EXPECT_EQ(prefetch.find({{}, false, missing}), std::nullopt);
    dir.write("missing.txt", "now");
    EXPECT_EQ(prefetch.find({{}, false, missing}), std::nullopt);
}

}  // namespace
}  // namespace Rilk
