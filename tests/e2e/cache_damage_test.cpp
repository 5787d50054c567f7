// A damaged build cache costs a rebuild, never a failed run, a wrong program or a false hit.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/cache/file/build_cache.h"
#include "e2e/rilk_run.h"
#include "types/types_test_support.h"

namespace {

class CacheDamage : public RilkRun {
protected:
    void SetUp() override {
        std::filesystem::copy(std::string(RILK_SOURCE_DIR) + "/examples/hello", work.path(),
                              std::filesystem::copy_options::recursive);
        // The example builds with the machine's GCC, which the registry must know first.
        ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0);
        const auto first = rilk({});
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        good = read(".rilk_cache");
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// The built file named `name`, found below out/; empty when there is none.
    std::filesystem::path built(const std::string& name) const {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(work.path() / "out")) {
            if (entry.is_regular_file() && entry.path().filename() == name) return entry.path();
        }
        return {};
    }

    /// Runs the build on whatever cache file is there and checks what every run must give:
    /// exit 0, the right program, and a cache file that loads whole.
    RilkTest::ProcessResult buildAndCheck(const std::string& what) {
        auto run = rilk({"-v", "1"});
        EXPECT_EQ(run.exitCode, 0) << what << "\n" << run.out << run.err;
        const auto program = RilkTest::runProcess({built("hello").string()});
        EXPECT_EQ(program.out, "Hello, rilk!\nGoodbye, rilk!\n") << what;
        if (std::filesystem::is_regular_file(work.path() / ".rilk_cache")) {
            Rilk::BuildCache cache(work.path() / ".rilk_cache");
            EXPECT_EQ(RilkTest::capture(6, [&] { cache.load(); }), "") << what;
            EXPECT_EQ(cache.size(), 3u) << what;
        }
        return run;
    }

    static bool has(const std::string& out, const std::string& text) {
        return out.find(text) != std::string::npos;
    }

    std::string good;
};

TEST_F(CacheDamage, CutFilesRebuildEverythingAndSaveAWholeCache) {
    ASSERT_GT(good.size(), 60u);
    for (int i = 0; i < 30; ++i) {
        const std::size_t size = good.size() * static_cast<std::size_t>(i) / 30;
        work.write(".rilk_cache", good.substr(0, size));
        const auto run = buildAndCheck("cut at " + std::to_string(size));
        // Nothing of a cut file is trusted: both targets build again.
        EXPECT_FALSE(has(run.out, "Cache hit")) << size << "\n" << run.out;
        EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(good)) << size;
    }
}

TEST_F(CacheDamage, AHitNeedsItsOutputsToExist) {
    std::filesystem::remove(built("libgreet.a"));
    auto run = buildAndCheck("library removed");
    EXPECT_FALSE(has(run.out, "Cache hit for 'hello::greet'")) << run.out;
    EXPECT_TRUE(has(run.out, "Cache hit for 'hello::greet_objs'")) << run.out;

    std::filesystem::remove(built("hello"));
    run = buildAndCheck("program removed");
    EXPECT_FALSE(has(run.out, "Cache hit for 'hello::app'")) << run.out;
}

TEST_F(CacheDamage, AHitNeedsItsOutputsNewerThanItsInputs) {
    const auto later = std::filesystem::file_time_type::clock::now() + std::chrono::hours(1);
    std::filesystem::last_write_time(work.path() / "src/farewell.c", later);
    const auto run = buildAndCheck("source edited");
    EXPECT_FALSE(has(run.out, "Cache hit for 'hello::greet_objs'")) << run.out;
}

TEST_F(CacheDamage, AnUnusableFileIsAnEmptyCache) {
    work.write(".rilk_cache", "");
    buildAndCheck("empty file");
    EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(good));

    std::filesystem::remove(work.path() / ".rilk_cache");
    std::filesystem::create_directory(work.path() / ".rilk_cache");
    const auto run = buildAndCheck("directory");
    // The directory cannot be replaced; the failed save is reported and changes nothing else.
    EXPECT_TRUE(std::filesystem::is_directory(work.path() / ".rilk_cache"));
    EXPECT_TRUE(has(run.out + run.err, "cache")) << run.out << run.err;
}

TEST_F(CacheDamage, AnUnreadableFileIsAnEmptyCache) {
    work.write(".rilk_cache", good);
    std::filesystem::permissions(work.path() / ".rilk_cache", std::filesystem::perms::none);
    if (::geteuid() == 0) {
        // Root reads every file: the build runs as an unprivileged user who owns the project
        // and its home, so that only the cache file's own permissions keep it out.
        constexpr int kNobody = 65534;
        for (const auto* tree : {&work, &home}) {
            ASSERT_EQ(::lchown(tree->path().c_str(), kNobody, kNobody), 0);
            for (const auto& entry : std::filesystem::recursive_directory_iterator(tree->path())) {
                ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
            }
        }
        runAs = kNobody;
        if (rilk({"--version"}).exitCode != 0) {
            GTEST_SKIP() << "the rilk binary lies out of an unprivileged user's reach";
        }
    }
    const auto run = buildAndCheck("unreadable");
    EXPECT_FALSE(has(run.out, "Cache hit")) << run.out;
    EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(good));
}

TEST_F(CacheDamage, AGigabyteWithoutALineFeedIsReadInBoundedMemory) {
    const auto file = work.path() / ".rilk_cache";
    {
        std::ofstream out(file, std::ios::binary);
        out << "RILK_CACHE_V5";
    }
    // Sparse: a gigabyte of zero bytes that costs no disk space and no time to write.
    ASSERT_EQ(::truncate(file.c_str(), 1L << 30), 0);
    buildAndCheck("one gigabyte");
    rusage usage{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    // The largest child so far, the compiler included; far below the file's size. A
    // sanitizer build's program alone takes more than a hundred megabytes to start.
#if defined(__SANITIZE_ADDRESS__)
    constexpr long kBoundMiB = 400;
#else
    constexpr long kBoundMiB = 200;
#endif
    EXPECT_LT(usage.ru_maxrss, kBoundMiB * 1024) << "kB";
    EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(good));
}

}  // namespace
