// Build runs in one project take turns: a second run waits for the first and then finds its
// work done; one-shot modes that only read never wait.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "util/file_lock.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kWaiting = "Waiting for another run in this project to finish.\n";

class ProjectLock : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// A project whose one target writes its output in two steps, a second apart.
    void writeSlowProject() const {
        write({{".rilk_project.txt", "name slow\nunits {\n    u { \"rilk.txt\" }\n}\n"},
               {"src.in", "x"},
               {"rilk.txt",
                "unit u\nt: {\n    SRC = P\"(src.in)\"\n    ^OUT = P\"(out.txt)\"\n"
                "    cmdline = [ \"printf part > out.txt; sleep 1; printf whole >> out.txt\" ]\n"
                "}\n"}});
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
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!fs::exists(work.path() / "out.txt") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(fs::exists(work.path() / "out.txt")) << "the first run never started its command";
    const auto second = rilk({});
    EXPECT_EQ(RilkTest::waitExit(first), 0) << read("first.log");
    EXPECT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_EQ(count(second.out, kWaiting), 1u) << second.out;
    EXPECT_EQ(count(second.out, "printf part"), 0u) << "the second run ran the command again:\n"
                                                    << second.out;
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
        if (run.wait_for(20s) != std::future_status::ready) {
            held.reset();
            FAIL() << "waited for the lock";
        }
        const auto result = run.get();
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ(count(result.out, kWaiting), 0u) << result.out;
    }

    auto build = std::async(std::launch::async, [&] { return rilk({}); });
    EXPECT_EQ(build.wait_for(500ms), std::future_status::timeout) << "built while locked";
    EXPECT_FALSE(fs::exists(work.path() / "out.txt"));
    held.reset();
    const auto result = build.get();
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(count(result.out, kWaiting), 1u) << result.out;
    EXPECT_EQ(read("out.txt"), "partwhole");
}

TEST_F(ProjectLock, ARunStartedByACommandOfTheBuildDoesNotWaitForIt) {
    write({{"rilk.txt", "unit u\nouter: {\n    cmdline = \"'" RILK_BINARY "' inner\"\n}\n"
                        "inner: {\n    ^OUT = P\"(inner.txt)\"\n"
                        "    cmdline = \"echo inner > inner.txt\"\n}\n"}});
    auto run = std::async(std::launch::async, [&] { return rilk({"outer"}); });
    ASSERT_EQ(run.wait_for(30s), std::future_status::ready)
        << "the nested run waits for its parent";
    const auto result = run.get();
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(count(result.out, kWaiting), 0u) << result.out;
    EXPECT_EQ(read("inner.txt"), "inner\n");
    EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
}

}  // namespace
