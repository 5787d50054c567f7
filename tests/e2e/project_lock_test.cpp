// Build runs in one project take turns: a second run waits for the first and then finds its
// work done; one-shot modes that only read never wait.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

const std::string kWaiting = "Waiting for another run in this project to finish.";

/// Leaves a socket file at `file` (its socket closed).
void makeSocketFile(const fs::path& file) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(file.string().size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, file.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

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

// Project a imports b in b's profile release; b's target writes its output in two steps, the
// second once the file `go` exists. A run in b waits while a run in a builds that target.
TEST_F(ProjectLock, ARunBuildingAnImportedProjectsTargetsTakesTurnsWithRunsThere) {
    write({{"b/.rilk_project.txt",
            "name b\nunits { u { \"rilk.txt\" } }\n"
            "profiles { default { WHICH = \"default\" } release { WHICH = \"release\" } }\n"},
           {"b/src.in", "x"},
           {"b/rilk.txt",
            "unit u\nt: {\n    SRC = P\"(src.in)\"\n    ^OUT = P\"(out.txt)\"\n"
            "    cmdline = \"echo begin ${WHICH} > '${OUT}'; until [ -e '${project_root}/go' ]; "
            "do sleep 0.01; done; echo end ${WHICH} >> '${OUT}'\"\n}\n"},
           {"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\" (release); }\n"
            "units { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", "unit m\nall: b/u::t {\n    NO_TOOL = 1\n}\n"}});
    const pid_t inA = RilkTest::startProcess({RILK_BINARY}, work.path() / "a", userEnvironment(),
                                             work.path() / "a.log");
    ASSERT_TRUE(RilkTest::waitUntil([&] { return read("b/out.txt") == "begin release\n"; }))
        << read("a.log");
    const pid_t inB = RilkTest::startProcess({RILK_BINARY}, work.path() / "b", userEnvironment(),
                                             work.path() / "b.log");
    // Today's run in b waits; one that does not starts its command meanwhile.
    EXPECT_TRUE(RilkTest::waitUntil([&] {
        return count(read("b.log"), kWaiting) == 1 || read("b/out.txt") != "begin release\n";
    }));
    write({{"b/go", ""}});
    EXPECT_EQ(RilkTest::waitExit(inA), 0) << read("a.log");
    EXPECT_EQ(RilkTest::waitExit(inB), 0) << read("b.log");
    EXPECT_EQ(count(read("b.log"), kWaiting), 1u) << read("b.log");
    EXPECT_EQ(read("b/out.txt"), "begin default\nend default\n");
    const auto again = rilk({}, "b");
    EXPECT_EQ(again.exitCode, 0) << again.out;
    EXPECT_EQ(read("b/out.txt"), "begin default\nend default\n") << again.out;
}

// A run waiting for an imported project holds no lock meanwhile, its own included: the
// run holding that project may be waiting for it.
TEST_F(ProjectLock, ARunWaitingForAnImportedProjectHoldsNoLock) {
    write({{"b/.rilk_project.txt", "name b\nunits { u { \"rilk.txt\" } }\n"},
           {"b/rilk.txt", "unit u\nt: {\n    cmdline = \"echo built > t.txt\"\n}\n"},
           {"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\"; }\nunits { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", "unit m\nall: b/u::t {\n    NO_TOOL = 1\n}\n"}});
    std::optional<Util::FileLock> heldB = Util::FileLock::acquire(work.path() / "b/.rilk_lock");
    const pid_t inA = RilkTest::startProcess({RILK_BINARY}, work.path() / "a", userEnvironment(),
                                             work.path() / "a.log");
    const std::string waiting = "Waiting for another run that builds in the imported project '" +
                                fs::canonical(work.path() / "b").string() + "' to finish.";
    EXPECT_TRUE(RilkTest::waitUntil([&] {
        return count(read("a.log"), waiting) == 1 || fs::exists(work.path() / "a/t.txt");
    })) << read("a.log");
    EXPECT_FALSE(fs::exists(work.path() / "a/t.txt")) << "built without b's lock";
    EXPECT_TRUE(Util::FileLock::tryAcquire(work.path() / "a/.rilk_lock").has_value())
        << "the waiting run holds its own project's lock";
    heldB.reset();
    EXPECT_EQ(RilkTest::waitExit(inA), 0) << read("a.log");
    EXPECT_EQ(read("a/t.txt"), "built\n");
}

// A run in b started by a build in a, which holds b's lock as a project it imports, does not
// wait for it, and keeps the journal of its own project's outputs: no other run keeps it.
TEST_F(ProjectLock, ARunStartedByABuildImportingItsProjectKeepsItsJournal) {
    write({{"b/.rilk_project.txt", "name b\nunits { u { \"rilk.txt\" } }\n"},
           {"b/rilk.txt",
            "unit u\nt: {\n    ^OUT = P\"(t.txt)\"\n"
            "    cmdline = \"if [ -e .rilk_journal ]; then echo journal; else echo none; fi > "
            "t.txt\"\n"
            "}\n"},
           {"a/.rilk_project.txt",
            "name a\nimport { \"../b/.rilk_project.txt\"; }\nunits { m { \"rilk.txt\" } }\n"},
           {"a/rilk.txt", std::string("unit m\nall: {\n    cmdline = \"cd ../b && '") +
                              RILK_BINARY + "' t\"\n}\n"}});
    const pid_t inA = RilkTest::startProcess({RILK_BINARY}, work.path() / "a", userEnvironment(),
                                             work.path() / "a.log");
    if (!RilkTest::waitUntil([&] { return fs::exists(work.path() / "b/t.txt"); })) {
        RilkTest::killWithCommands(inA);
        FAIL() << "the run in b waits for the run in a:\n" << read("a.log");
    }
    EXPECT_EQ(RilkTest::waitExit(inA), 0) << read("a.log");
    EXPECT_EQ(count(read("a.log"), "Waiting for"), 0u) << read("a.log");
    EXPECT_EQ(read("b/t.txt"), "journal\n") << read("a.log");
}

// Runs started by one command of a build in its own project take turns among themselves,
// while none of them waits for the build that started them.
TEST_F(ProjectLock, RunsStartedByOneCommandOfTheBuildTakeTurns) {
    const std::string rilk = std::string("'") + RILK_BINARY + "'";
    write({{"lib.in", "x"},
           {"rilk.txt",
            "unit u\nouter: {\n    cmdline = \"" + rilk + " a > a.log 2>&1 & p=$!; " + rilk +
                " b > b.log 2>&1; s=$?; wait $p && [ $s = 0 ]\"\n}\n"
                "a: lib {\n    cmdline = \"true\"\n}\nb: lib {\n    cmdline = \"true\"\n}\n"
                "lib: {\n    SRC = P\"(lib.in)\"\n    ^OUT = P\"(lib.txt)\"\n"
                "    cmdline = \"echo begin > lib.txt; echo >> starts.txt; until [ -e go ]; do "
                "sleep 0.01; done; echo end >> lib.txt\"\n}\n"}});
    const pid_t outer = RilkTest::startProcess({RILK_BINARY, "outer"}, work.path(),
                                               userEnvironment(), work.path() / "outer.log");
    // One of the two waits for the other; runs that do not both start lib's command.
    EXPECT_TRUE(RilkTest::waitUntil([&] {
        return count(read("a.log") + read("b.log"), kWaiting) == 1 || read("starts.txt") == "\n\n";
    }));
    write({{"go", ""}});
    EXPECT_EQ(RilkTest::waitExit(outer), 0) << read("outer.log") << read("a.log") << read("b.log");
    EXPECT_EQ(count(read("a.log") + read("b.log"), kWaiting), 1u) << read("a.log") << read("b.log");
    EXPECT_EQ(count(read("outer.log"), kWaiting), 0u) << read("outer.log");
    EXPECT_EQ(read("starts.txt"), "\n") << "lib was built twice";
    EXPECT_EQ(read("lib.txt"), "begin\nend\n");
}

TEST_F(ProjectLock, ARunStartedByARunStartedByTheBuildWaitsForNeither) {
    const std::string rilk = std::string("'") + RILK_BINARY + "'";
    auto command = [&](const std::string& name, const std::string& line) {
        return name + ": {\n    cmdline = \"" + line + "\"\n}\n";
    };
    write({{"rilk.txt", "unit u\n" + command("outer", rilk + " middle") +
                            command("middle", rilk + " inner") +
                            command("inner", "echo inner > inner.txt")}});
    const pid_t outer = RilkTest::startProcess({RILK_BINARY, "outer"}, work.path(),
                                               userEnvironment(), work.path() / "outer.log");
    if (!RilkTest::waitUntil([&] { return fs::exists(work.path() / "inner.txt"); })) {
        RilkTest::killWithCommands(outer);
        FAIL() << "a nested run waits for a run it descends from:\n" << read("outer.log");
    }
    EXPECT_EQ(RilkTest::waitExit(outer), 0) << read("outer.log");
    EXPECT_EQ(count(read("outer.log"), kWaiting), 0u) << read("outer.log");
}

// A folder or a socket in the lock file's place, of the build or of its nested runs, ends the
// run with an error naming it: no run builds without the lock.
TEST_F(ProjectLock, ALockFileThatIsNoRegularFileEndsTheRun) {
    write({{"rilk.txt", "unit u\nouter: {\n    cmdline = \"'" RILK_BINARY "' inner\"\n}\n"
                        "inner: {\n    cmdline = \"echo inner built\"\n}\n"}});
    const struct {
        const char* file;
        const char* kind;
        std::function<void(const fs::path&)> make;
    } cases[] = {
        {".rilk_lock", "a directory", [](const fs::path& at) { fs::create_directory(at); }},
        {".rilk_lock.1", "a socket", makeSocketFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " is " + c.kind);
        const fs::path lock = work.path() / c.file;
        c.make(lock);
        const auto result = rilk({"outer"});
        fs::remove_all(lock);
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.out.find("The lock file '" + lock.string() + "' is " + c.kind +
                                  ", not a regular file; rilk takes its lock only on a regular "
                                  "file. Remove it and run again.\n"),
                  std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find("inner built"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("building without it"), std::string::npos) << result.out;
    }
}

}  // namespace
