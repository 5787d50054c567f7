// Compiler probe answers kept across runs in the user's cache directory.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/rilk_run.h"
#include "support/watched_run.h"
#include "tools/fake_toolchain.h"
#include "support/temp_dir.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

class ProbeAnswers : public RilkRun {
protected:
    void SetUp() override {
        const fs::path bin = work.path() / "tc/bin";
        for (const char* compiler : {"gcc", "g++"}) {
            RilkTest::writeFakeCompiler(bin / compiler, {"x86_64-linux-gnu", "12.2.0", ""}, log);
        }
        for (const char* tool : {"ar", "ld"}) RilkTest::writeScript(bin / tool, "exit 0\n");
        home.write(".config/rilk/.rilk_registry.txt",
                   "tools { tc { tool_type = \"gnu-gcc\" toolchain_path = P\"(" +
                       (work.path() / "tc").string() + ")\" } }\n");
        write({{"in.txt", "x\n"},
               {"rilk.txt",
                "unit u\nall: copy { NO_TOOL = 1 }\n"
                "copy: { cmdline = \"cp in.txt out.txt\" ^out = P\"(out.txt)\" }\n"}});
    }

    /// rilk with XDG_CACHE_HOME in the test's home, so that the answers land there.
    RilkTest::ProcessResult run(const std::vector<std::string>& args) const {
        return RilkTest::runRilk(args, {.workingDirectory = work.path(),
                                        .environment = {{"HOME", home.path().string()},
                                                        {"XDG_CACHE_HOME", xdg.string()}}});
    }

    static ino_t inodeOf(const fs::path& file) {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    const fs::path log = work.path() / "probes.log";
    const fs::path xdg = home.path() / "xdg";
    const fs::path answers = xdg / "rilk/compiler_probes";
};

TEST_F(ProbeAnswers, ANoOpRunWithKeptAnswersProbesNothingAndPrintsTheSame) {
    ASSERT_EQ(run({}).exitCode, 0);
    ASSERT_TRUE(fs::exists(work.path() / "out.txt"));
    for (const char* verbosity : {"1", "5"}) {
        fs::remove(answers);
        fs::remove(log);
        const auto probing = run({"-v", verbosity});
        ASSERT_EQ(probing.exitCode, 0) << probing.out << probing.err;
        ASSERT_FALSE(readFile(log).empty()) << "the first run probes the compilers";
        ASSERT_TRUE(fs::exists(answers));
        const std::string probes = readFile(log);
        const std::string kept = readFile(answers);
        const ino_t inode = inodeOf(answers);

        const auto again = run({"-v", verbosity});
        EXPECT_EQ(again.exitCode, 0);
        EXPECT_EQ(again.out, probing.out) << "-v " << verbosity;
        EXPECT_EQ(again.err, probing.err) << "-v " << verbosity;
        EXPECT_EQ(readFile(log), probes) << "no probe runs again";
        EXPECT_EQ(readFile(answers), kept);
        EXPECT_EQ(inodeOf(answers), inode) << "the file is not written again";
    }
}

TEST_F(ProbeAnswers, AnUnusableCacheDirectoryOnlyMeansProbingEveryTime) {
    home.write("xdg", "a file where the directory should be");
    const auto first = run({});
    const auto second = run({});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(first.err + second.err, "");
    const std::string probes = readFile(log);
    EXPECT_EQ(probes.substr(probes.size() / 2), probes.substr(0, probes.size() / 2));
}

TEST_F(ProbeAnswers, AnswersThatAreNoRegularFileAreNoticedAndSavedAnewAsOne) {
    for (const std::string kind : {"fifo", "/dev/zero"}) {
        fs::remove_all(xdg);
        fs::create_directories(answers.parent_path());
        if (kind == "fifo") {
            ASSERT_EQ(mkfifo(answers.c_str(), 0600), 0);
        } else {
            fs::create_symlink(kind, answers);
        }
        const auto result = RilkTest::runRilkWatched(
            {.maxResidentBytes = std::uintmax_t{1} << 30}, {"-v", "6"},
            {.workingDirectory = work.path(),
             .environment = {{"HOME", home.path().string()}, {"XDG_CACHE_HOME", xdg.string()}}});
        EXPECT_EQ(result.killedFor, "") << kind;
        EXPECT_EQ(result.out, "Cannot read '" + answers.string() +
                                  "': it is not a regular file. Starting with no probe answers.\n")
            << kind;
        EXPECT_EQ(result.exitCode, 0) << kind;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(answers))) << kind;
    }
}

}  // namespace
