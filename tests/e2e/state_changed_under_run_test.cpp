// rilk's own files changed by something else: a command that rewrites the cache file during
// the run, another process that cuts it short while it is read, a lock file with another
// name, temporary files of runs killed outright, a run's record naming files by relative
// paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include <fmt/format.h>

#include "e2e/rilk_run.h"
#include "support/traced_run.h"

namespace {

using RilkTest::readFile;
namespace fs = std::filesystem;

class StateChangedUnderRun : public RilkRun {
protected:
    bool has(const std::string& text, const std::string& part) const {
        return text.find(part) != std::string::npos;
    }
    std::size_t count(const std::string& text, const std::string& part) const {
        std::size_t found = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++found;
        }
        return found;
    }
};

TEST_F(StateChangedUnderRun, ACommandThatRewritesTheCacheFileCostsRebuildsNotACrash) {
    const struct {
        const char* name;
        const char* change;  ///< what the command does to an existing cache file
    } cases[] = {
        {"emptied", ": > .rilk_cache"},
        {"rewritten shorter", "printf 'RILK_CACHE_V8\\n0\\n' > .rilk_cache"},
        {"zeroed in place",
         "dd if=/dev/zero of=.rilk_cache bs=64 count=4 conv=notrunc 2>/dev/null"},
    };
    for (const auto& c : cases) {
        fs::remove(work.path() / ".rilk_cache");
        // `late` is planned after `t`'s command ran; `early` before.
        write({{"in.txt", "x\n"},
               {"rilk.txt", std::string("unit u\nall: early t late { NO_TOOL = 1 }\n"
                                        "early: { cmdline = \"cp in.txt early.txt\" ^out = "
                                        "P\"(early.txt)\" }\n"
                                        "t: { cmdline = \"if [ -s .rilk_cache ]; then ") +
                                c.change +
                                "; fi; cp in.txt t.txt\" ^out = P\"(t.txt)\" }\n"
                                "late: t { cmdline = \"cp in.txt late.txt\" ^out = "
                                "P\"(late.txt)\" }\n"}});
        ASSERT_EQ(rilk({}).exitCode, 0) << c.name;
        fs::remove(work.path() / "t.txt");

        const auto changed = rilk({});
        EXPECT_EQ(changed.exitCode, 0) << c.name << "\n" << changed.out << changed.err;
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal")) << c.name;
        EXPECT_TRUE(has(changed.out, "was changed during the run")) << c.name << changed.out;

        // What the changed file held is not trusted: those targets build again, and
        // nothing is taken for the leftovers of a killed run.
        const auto next = rilk({});
        EXPECT_EQ(next.exitCode, 0) << c.name << "\n" << next.out << next.err;
        EXPECT_FALSE(has(next.out, "killed")) << c.name << next.out;
        EXPECT_FALSE(has(next.out, "Cache file")) << c.name << next.out;
        EXPECT_TRUE(has(next.out, "cp in.txt early.txt")) << c.name << next.out;
        for (const char* file : {"early.txt", "t.txt", "late.txt"}) {
            EXPECT_EQ(readFile(work.path() / file), "x\n") << c.name << " " << file;
        }
        const auto noOp = rilk({});
        EXPECT_EQ(noOp.exitCode, 0) << c.name;
        EXPECT_FALSE(has(noOp.out, "cp in.txt")) << c.name << noOp.out;
    }
}

/// Changes `file` in place as another process would: keeps its first `kept` bytes and cuts
/// it there, or zeroes the rest and dates it back (a time of its own, so that the change
/// shows however fast it came).
void changeInPlace(const fs::path& file, off_t kept, bool zero) {
    if (!zero) {
        ASSERT_EQ(::truncate(file.c_str(), kept), 0);
        return;
    }
    const int fd = ::open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string zeros(fs::file_size(file) - static_cast<std::uintmax_t>(kept), '\0');
    EXPECT_EQ(::pwrite(fd, zeros.data(), zeros.size(), kept), static_cast<ssize_t>(zeros.size()));
    const timespec dated[2] = {{0, UTIME_OMIT}, {946684800, 0}};
    EXPECT_EQ(::futimens(fd, dated), 0);
    ::close(fd);
}

// A process that is none of the run's commands (a loop an earlier command left behind) cuts
// the cache file short or zeroes it before any command ran: right after the run mapped it
// to load it, or once it is loaded, as the build starts. Reading it never ends the run with
// SIGBUS: what the change reached is dropped with one warning, and those targets build again.
TEST_F(StateChangedUnderRun, ACacheFileChangedByAnotherProcessBeforeAnyCommandCostsRebuilds) {
    const off_t page = ::sysconf(_SC_PAGESIZE);
    std::string units = "unit u\nall:";
    for (int i = 0; i < 40; ++i) units += fmt::format(" t{:02}", i);
    units += " { NO_TOOL = 1 }\n";
    for (int i = 0; i < 40; ++i) {
        units += fmt::format(
            "t{0:02}: {{ cmdline = \"echo t{0:02} > t{0:02}.txt\" ^out = "
            "P\"(t{0:02}.txt)\" }}\n",
            i);
    }
    const struct {
        const char* name;
        bool whileLoaded;  ///< else as the build starts
        off_t kept;
        bool zero;
    } cases[] = {
        {"emptied while loaded", true, 0, false},
        {"shortened while loaded", true, page, false},
        {"zeroed while loaded", true, 0, true},
        {"emptied as the build starts", false, 0, false},
        {"shortened as the build starts", false, page, false},
        {"zeroed as the build starts", false, page, true},
    };
    const fs::path cache = work.path() / ".rilk_cache";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(cache);
        write({{"rilk.txt", units}});
        ASSERT_EQ(rilk({}).exitCode, 0);
        ASSERT_GT(fs::file_size(cache), 3 * static_cast<std::uintmax_t>(page));

        // The loader maps the file on a thread of its own, and reads it once mapped; the
        // stop signals are caught once the records are loaded, before the first target.
        auto at = [&](const RilkTest::ReturnedCall& call) {
            if (c.whileLoaded) {
                return call.number == SYS_mmap && call.result > 0 &&
                       fs::path(RilkTest::descriptorPath(call.thread, call.arguments[4]))
                               .filename() == ".rilk_cache";
            }
            return call.number == SYS_rt_sigaction && call.arguments[0] == SIGINT;
        };
        const RilkTest::TracedResult run = RilkTest::runTraced(
            {RILK_BINARY}, {.workingDirectory = work.path(), .environment = userEnvironment()}, at,
            [&] { changeInPlace(cache, c.kept, c.zero); });
        ASSERT_TRUE(run.acted);
        const std::string& out = run.process.out;
        EXPECT_EQ(run.process.exitCode, 0) << out << run.process.err;
        EXPECT_EQ(count(out, "was changed during the run, not by rilk"), 1u) << out;
        EXPECT_FALSE(has(out, "Cache file '" + cache.string() + "' has")) << out;
        EXPECT_FALSE(has(out, "is malformed")) << out;
        // What lay past the change builds again; all of it when the file was read after.
        EXPECT_TRUE(has(out, "] echo t39 > t39.txt")) << out;
        EXPECT_EQ(has(out, "] echo t00 > t00.txt"), c.whileLoaded || c.kept == 0) << out;

        // The records of this run are kept; those it dropped unbuilt build once more.
        EXPECT_EQ(rilk({}).exitCode, 0);
        const auto noOp = rilk({});
        EXPECT_EQ(noOp.exitCode, 0);
        EXPECT_FALSE(has(noOp.out, "] echo")) << noOp.out;
        EXPECT_FALSE(has(noOp.out, "Cache file")) << noOp.out;
    }
}

TEST_F(StateChangedUnderRun, ALockFileWithAnotherHardLinkIsRefused) {
    write({{"rilk.txt", "unit u\nall: { cmdline = \"echo built\" }\n"}});
    const fs::path notes = home.write("notes.txt", "my notes\n");
    fs::create_hard_link(notes, work.path() / ".rilk_lock");
    const auto refused = rilk({});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "Error: The lock file '" + dir() +
                               "/.rilk_lock' has another hard link; rilk does not write through "
                               "it. Remove it and run again.\n");
    EXPECT_EQ(readFile(notes), "my notes\n");
    fs::remove(work.path() / ".rilk_lock");
    EXPECT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(readFile(notes), "my notes\n");
}

TEST_F(StateChangedUnderRun, TemporaryFilesOfRunsThatAreGoneAreRemoved) {
    write({{"rilk.txt", "unit u\nall: { cmdline = \"echo built\" }\n"}});
    // A process that has ended: its id names no live run.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const std::string gone = std::to_string(ended);
    const std::string alive = std::to_string(::getpid());
    const fs::path left[] = {work.write("..rilk_cache.tmp" + gone + ".Ab12Cd", "half"),
                             work.write("..rilk_journal.tmp" + gone + ".xY34zW", "half")};
    const fs::path kept[] = {work.write("..rilk_cache.tmp" + alive + ".Ab12Cd", "live"),
                             work.write("..rilk_journal.tmp" + alive + ".qQ00qQ", "live"),
                             work.write(".notes.tmp" + gone + ".Ab12Cd", "not ours")};
    const auto run = rilk({});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const fs::path& file : left) EXPECT_FALSE(fs::exists(file)) << file;
    for (const fs::path& file : kept) EXPECT_TRUE(fs::exists(file)) << file;
}

TEST_F(StateChangedUnderRun, AKilledRunsRecordOfARelativePathIsSkippedWithAWarning) {
    write({{"rilk.txt", "unit u\nall: { cmdline = \"echo built\" }\n"}, {"keep.txt", "mine\n"}});
    struct stat folder {};
    ASSERT_EQ(::stat(work.path().c_str(), &folder), 0);
    write({{".rilk_journal", "rilk run journal 2\n0 0 0 0 0 0 " + std::to_string(folder.st_dev) +
                                 " " + std::to_string(folder.st_ino) + " 8 keep.txt\n"}});
    const auto run = rilk({});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(readFile(work.path() / "keep.txt"), "mine\n");
    EXPECT_TRUE(has(run.out,
                    "Left 'keep.txt' as it is: the record of the killed run names it "
                    "by a relative path; rilk records only absolute ones.\n"))
        << run.out;
}

}  // namespace
