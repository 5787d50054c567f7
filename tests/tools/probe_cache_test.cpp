#include "tools/probe_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using RilkTest::readFile;

ino_t inodeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
}

/// "output|status" of a probe, for comparing answers at a glance.
std::string answer(Rilk::ProbeCache& cache, const fs::path& tool, const std::string& arguments) {
    const Rilk::ToolRunResult result = cache.probe(tool, arguments);
    return result.output.string() + "|" + std::to_string(result.exitStatus);
}

TEST(ProbeCache, EachInvokedPathAnswersEachProbeOnceAndALinkHasItsOwnAnswers) {
    RilkTest::TempDir dir;
    const fs::path log = dir.path() / "log";
    const fs::path gcc = RilkTest::writeFakeCompiler(dir.path() / "a/bin/gcc",
                                                     {"x86_64-linux-gnu", "12.2.0", ""}, log);
    fs::create_directories(dir.path() / "b/bin");
    fs::create_symlink(gcc, dir.path() / "b/bin/cc");
    for (const fs::path& name : {gcc, dir.path() / "b/bin/cc", dir.path() / "a/bin/../bin/gcc"}) {
        EXPECT_EQ(Rilk::probeTool(name, "-dumpmachine").output, "x86_64-linux-gnu");
        EXPECT_EQ(Rilk::probeTool(name, "-dumpfullversion").output, "12.2.0");
    }
    // A multi-call program answers by the name it is called: the link is probed itself.
    const std::string cc = (dir.path() / "b/bin/cc").string();
    EXPECT_EQ(readFile(log), gcc.string() + " -dumpmachine\n" + gcc.string() +
                                 " -dumpfullversion\n" + cc + " -dumpmachine\n" + cc +
                                 " -dumpfullversion\n");
}

class ProbeAnswerKeeping : public testing::Test {
protected:
    /// The fake compiler's answers to the three probes, as `cache` hands them out.
    std::string answers(Rilk::ProbeCache& cache) {
        return answer(cache, gcc, "-dumpmachine") + " " + answer(cache, gcc, "-dumpfullversion") +
               " " + answer(cache, gcc, "-dumpversion");
    }
    std::size_t probesRun() const {
        const std::string text = readFile(log);
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    RilkTest::TempDir dir;
    const fs::path log = dir.path() / "log";
    const fs::path file = dir.path() / "cache/rilk/compiler_probes";
    fs::path gcc = RilkTest::writeFakeCompiler(dir.path() / "bin/gcc",
                                               {"x86_64-linux-gnu", "12.2.0", std::nullopt}, log);
};

TEST_F(ProbeAnswerKeeping, LaterRunsTakeTheAnswersFromTheFileAndLeaveItAlone) {
    const std::string expected = "x86_64-linux-gnu|0 12.2.0|0 |1";
    Rilk::ProbeCache first(file);
    EXPECT_EQ(answers(first), expected);
    first.save();
    ASSERT_TRUE(fs::exists(file));
    const std::string written = readFile(file);
    const ino_t inode = inodeOf(file);

    Rilk::ProbeCache second(file);
    EXPECT_EQ(answers(second), expected);
    second.save();
    EXPECT_EQ(probesRun(), 3u);
    EXPECT_EQ(inodeOf(file), inode) << "nothing new, so nothing is written";
    EXPECT_EQ(readFile(file), written);
}

TEST_F(ProbeAnswerKeeping, AChangedProgramIsProbedAgainAndItsOldAnswersDropped) {
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"newer modification time",
         [&] { fs::last_write_time(gcc, fs::last_write_time(gcc) + 1s); }},
        {"other size, same modification time",
         [&] {
             const auto time = fs::last_write_time(gcc);
             RilkTest::writeFakeCompiler(gcc, {"x86_64-linux-gnu", "9.5.0", std::nullopt}, log);
             fs::last_write_time(gcc, time);
         }},
    };
    for (const auto& [what, change] : changes) {
        Rilk::ProbeCache before(file);
        const std::string old = answers(before);
        before.save();
        const std::size_t probes = probesRun();
        change();
        Rilk::ProbeCache after(file);
        const std::string now = answers(after);
        EXPECT_EQ(probesRun(), probes + 3) << what;
        after.save();
        const auto kept = Rilk::readProbeAnswerFile(file);
        ASSERT_TRUE(kept) << what;
        EXPECT_EQ(kept->size(), 3u) << what;
        Rilk::ProbeCache reread(file);
        EXPECT_EQ(answers(reread), now) << what;
        EXPECT_EQ(probesRun(), probes + 3) << what;
        if (std::string(what).starts_with("other size")) {
            EXPECT_NE(now, old);
        }
    }
}

TEST_F(ProbeAnswerKeeping, ATimedOutProbeIsNeitherKeptNorRunAgain) {
    const fs::path slow =
        RilkTest::writeScript(dir.path() / "bin/slow-gcc",
                              "echo \"$1\" >> '" + log.string() + "'\nsleep 60\necho late\n");
    // Long enough for the tool to note its call before it is stopped, also on a busy machine.
    Rilk::ProbeCache cache(file, 2s);
    EXPECT_TRUE(cache.probe(slow, "-dumpmachine").timedOut);
    const Rilk::ToolRunResult skipped = cache.probe(slow, "-dumpfullversion");
    EXPECT_TRUE(skipped.timedOut);
    EXPECT_EQ(skipped.exitStatus, -1);
    EXPECT_EQ(probesRun(), 1u);
    cache.save();
    EXPECT_FALSE(fs::exists(file));
}

}  // namespace
