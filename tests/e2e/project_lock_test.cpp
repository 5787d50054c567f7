// Build runs in one project take turns: a second run waits for the first and then finds its
// work done; one-shot modes that only read never wait.
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <string>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/terminal_process.h"
#include "support/wait_until.h"
#include "util/file_lock.h"

namespace {

namespace fs = std::filesystem;
using RilkTest::kHangGuard;

const std::string kWaiting = "Waiting for another run in this project to finish.\n";

class ProjectLock : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// A project whose one target writes its output in two steps: the second once the file
    /// "go" exists (or two minutes have passed, so that a failed test leaves nothing running).
    void writeSlowProject() const {
        write({{".rilk_project.txt", "name slow\nunits {\n    u { \"rilk.txt\" }\n}\n"},
               {"src.in", "x"},
               {"rilk.txt",
                "unit u\nt: {\n    SRC = P\"(src.in)\"\n    ^OUT = P\"(out.txt)\"\n"
                "    cmdline = [ R\"(printf part > out.txt; i=0;"
                " while [ ! -e go ] && [ $i -lt 2400 ]; do sleep 0.05; i=$((i + 1)); done;"
                " printf whole >> out.txt )\" ]\n"
                "}\n"}});
    }

    /// Starts rilk in the working directory on a terminal of its own, which shows each line
    /// as soon as it is printed.
    RilkTest::TerminalProcess rilkOnTerminal() const {
        return RilkTest::TerminalProcess(
            {RILK_BINARY}, {.workingDirectory = work.path(), .environment = userEnvironment()});
    }

    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t found = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + part.size())) {
            ++found;
        }
        return found;
    }
};

TEST_F(ProjectLock, SecondRunWaitsForTheFirstAndFindsTheWorkDone) {
    writeSlowProject();
    const fs::path log = work.path() / "first.log";
    const pid_t first = RilkTest::startProcess({RILK_BINARY}, work.path(), userEnvironment(), log);
    if (!RilkTest::waitForFile(work.path() / "out.txt")) {
        RilkTest::killWithCommands(first);
        FAIL() << "the first run never started its command";
    }
    // The first run's command finishes only once the second run has said that it waits.
    RilkTest::TerminalProcess second = rilkOnTerminal();
    second.awaitOutput(kWaiting);
    work.write("go", "");
    EXPECT_EQ(RilkTest::waitExit(first), 0) << read("first.log");
    EXPECT_EQ(second.wait(), 0) << second.output();
    EXPECT_EQ(count(second.output(), kWaiting), 1u) << second.output();
    EXPECT_EQ(count(second.output(), "printf part"), 0u)
        << "the second run ran the command again:\n"
        << second.output();
    EXPECT_EQ(count(read("first.log"), kWaiting), 0u);
    EXPECT_EQ(read("out.txt"), "partwhole");
}

TEST_F(ProjectLock, BuildWaitsWhileTheLockIsHeldAndReadingModesDoNot) {
    writeSlowProject();
    std::optional<Util::FileLock> held = Util::FileLock::acquire(work.path() / ".rilk_lock");

    // Each of these would hang while another run builds if it took the lock.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--version"}, {"-l", "u"}, {"-u"}, {"-p"}}) {
        SCOPED_TRACE(args.front());
        auto run = std::async(std::launch::async, [&] { return rilk(args); });
        if (run.wait_for(kHangGuard) != std::future_status::ready) {
            held.reset();
            FAIL() << "waited for the lock";
        }
        const auto result = run.get();
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ(count(result.out, kWaiting), 0u) << result.out;
    }

    work.write("go", "");  // the command writes its output at once
    RilkTest::TerminalProcess build = rilkOnTerminal();
    EXPECT_TRUE(build.awaitOutput(kWaiting)) << "built while locked:\n" << build.output();
    EXPECT_FALSE(fs::exists(work.path() / "out.txt"));
    held.reset();
    EXPECT_EQ(build.wait(), 0) << build.output();
    EXPECT_EQ(count(build.output(), kWaiting), 1u) << build.output();
    EXPECT_EQ(read("out.txt"), "partwhole");
}

TEST_F(ProjectLock, ARunStartedByACommandOfTheBuildDoesNotWaitForIt) {
    write({{"rilk.txt", "unit u\nouter: {\n    cmdline = \"'" RILK_BINARY "' inner\"\n}\n"
                        "inner: {\n    ^OUT = P\"(inner.txt)\"\n"
                        "    cmdline = \"echo inner > inner.txt\"\n}\n"}});
    auto run = std::async(std::launch::async, [&] { return rilk({"outer"}); });
    ASSERT_EQ(run.wait_for(kHangGuard), std::future_status::ready)
        << "the nested run waits for its parent";
    const auto result = run.get();
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(count(result.out, kWaiting), 0u) << result.out;
    EXPECT_EQ(read("inner.txt"), "inner\n");
    EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
}

}  // namespace
