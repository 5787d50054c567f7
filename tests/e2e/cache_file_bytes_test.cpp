// The cache file a run leaves is the one a fresh build of the same project writes, however
// the records were held in between: after a no-op, a touched source and a changed target.
#include <chrono>
#include <filesystem>
#include <string>

#include "e2e/rilk_run.h"

namespace {

class CacheFileBytes : public RilkRun {
protected:
    std::string cacheFile() const { return RilkTest::readFile(work.path() / ".rilk_cache"); }

    /// Copy targets, one with a dependency-free intermediate-less command, in one unit.
    void writeProject(const std::string& secondCommand) const {
        std::string unit = "unit u\n";
        for (const char* name : {"a", "b", "c"}) {
            unit += std::string(name) + ": {\n    SRC = P\"(src/" + name + ".in)\"\n    ^OUT = P\"(out/" +
                    name + ".txt)\"\n    cmdline = [ \"mkdir -p out\", \"" +
                    (std::string(name) == "b" ? secondCommand : "cp src/" + std::string(name) +
                                                                    ".in out/" + name + ".txt") +
                    "\" ]\n}\n";
        }
        unit += "all: a b c {\n    NO_TOOL = 1\n}\n";
        write({{"rilk.txt", unit}, {"src/a.in", "a"}, {"src/b.in", "b"}, {"src/c.in", "c"}});
    }

    /// The cache file a build of the project as it stands writes from no cache.
    std::string freshCacheFile() {
        const std::string kept = cacheFile();
        std::filesystem::remove(work.path() / ".rilk_cache");
        EXPECT_EQ(rilk({"all"}).exitCode, 0);
        const std::string fresh = cacheFile();
        work.write(".rilk_cache", kept);
        return fresh;
    }
};

TEST_F(CacheFileBytes, StaysTheFreshBuildsFile) {
    writeProject("cp src/b.in out/b.txt");
    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    const std::string first = cacheFile();
    ASSERT_EQ(first.rfind("RILK_CACHE_V8\n", 0), 0u);

    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    EXPECT_EQ(cacheFile(), first) << "no-op";

    const auto later = std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5);
    std::filesystem::last_write_time(work.path() / "src/a.in", later);
    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    EXPECT_EQ(withoutStamps(cacheFile()), withoutStamps(first)) << "touched";

    writeProject("cp src/b.in out/b.txt && true");
    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    const std::string changed = cacheFile();
    EXPECT_NE(changed, first);
    EXPECT_EQ(withoutStamps(changed), withoutStamps(freshCacheFile())) << "changed target";
    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    const std::string rebuilt = cacheFile();
    EXPECT_EQ(withoutStamps(rebuilt), withoutStamps(changed));
    ASSERT_EQ(rilk({"all"}).exitCode, 0);
    EXPECT_EQ(cacheFile(), rebuilt) << "no-op after the change";
}

}  // namespace
