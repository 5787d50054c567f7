// Two builds of one project at the same time. Each runs every command of its own and saves
// the cache through a temporary file, so whichever saves last leaves its whole cache.
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

#include "app/cache/file/build_cache.h"
#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class ConcurrentBuild : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// What loading the cache file reports (nothing for a whole file) and how many records
    /// it holds.
    std::pair<std::string, std::size_t> loadCache() const {
        Rilk::BuildCache cache(work.path() / ".rilk_cache");
        testing::internal::CaptureStdout();
        cache.load();
        return {testing::internal::GetCapturedStdout(), cache.size()};
    }
};

/// A command target copying src/<name>.in to out/<name>.txt. The copy is made under a name
/// of its own and renamed into place, so that two builds running it at once both succeed
/// (a plain cp can fail when the other creates the file between its check and its open).
std::string copyTarget(const std::string& name) {
    return name + ": {\n    SRC = P\"(src/" + name + ".in)\"\n    ^OUT = P\"(out/" + name +
           ".txt)\"\n    cmdline = [ \"mkdir -p out\", \"cp src/" + name + ".in out/." + name +
           ".$$ && mv out/." + name + ".$$ out/" + name + ".txt\" ]\n}\n";
}

TEST_F(ConcurrentBuild, TwoBuildsAtOnceEachSucceedAndLeaveOneWholeCache) {
    const std::string names[] = {"a", "b", "c", "d", "e", "f"};
    std::string unit = "unit u\nall: a b c d e f {\n    NO_TOOL = 1\n}\n";
    for (const std::string& name : names) {
        unit += copyTarget(name);
        write({{"src/" + name + ".in", name}});
    }
    write({{"rilk.txt", unit}});
    ASSERT_EQ(rilk({"-j", "2"}).exitCode, 0);
    const std::string alone = read(".rilk_cache");

    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        fs::remove_all(work.path() / "out");
        fs::remove(work.path() / ".rilk_cache");
        auto first = std::async(std::launch::async, [&] { return rilk({"-j", "2"}); });
        auto second = std::async(std::launch::async, [&] { return rilk({"-j", "2"}); });
        for (const auto& result : {first.get(), second.get()}) {
            EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        }
        for (const std::string& name : names) EXPECT_EQ(read("out/" + name + ".txt"), name);
        const auto [report, records] = loadCache();
        EXPECT_EQ(report, "");
        EXPECT_EQ(records, std::size(names));
        EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(alone));
        for (const auto& entry : fs::directory_iterator(work.path())) {
            EXPECT_EQ(entry.path().filename().string().find(".rilk_cache.tmp"), std::string::npos)
                << "a temporary file is left: " << entry.path();
        }
    }
    const auto after = rilk({"-v", "1"});
    EXPECT_EQ(after.exitCode, 0) << after.out;
    EXPECT_EQ(after.out.find("] mkdir -p out\n"), std::string::npos)
        << "nothing is rebuilt: " << after.out;
}

}  // namespace
