// Writes that fail as on a full disk: the run says so, exits as it should and leaves the
// previous file whole.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

class FailingWrites : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// A main target `t` depending on `count` command targets, each leaving a cache record.
    void writeProject(int count, const std::string& value) const {
        std::string deps;
        std::string targets;
        for (int i = 0; i < count; ++i) {
            const std::string name = "d" + std::to_string(i);
            deps += " " + name;
            targets += name + ": { cmdline = [ \"true\" ] }\n";
        }
        write({{"rilk.txt", "unit u\nt:" + deps + " { ^V = \"" + value +
                                "\" cmdline = [ \"true\" ] }\n" + targets}});
    }
};

TEST_F(FailingWrites, AFailedCacheSaveKeepsTheOldCacheAndTheExitStatus) {
    writeProject(1, "v");
    ASSERT_EQ(rilk({}).exitCode, 0);
    const std::string old = read(".rilk_cache");
    ASSERT_FALSE(old.empty());

    writeProject(8, "v");
    const auto run = rilkWithFileSizeLimit(old.size(), {});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Unable to save the build cache"), std::string::npos) << run.out;
    EXPECT_EQ(read(".rilk_cache"), old);
}

TEST_F(FailingWrites, AFailedOutputFileFailsTheRunAndKeepsTheOldFile) {
    writeProject(0, "short");
    ASSERT_EQ(rilk({"-o", "out.txt"}).exitCode, 0);
    const std::string old = read("out.txt");
    ASSERT_EQ(old, "V = \"short\"\n");

    writeProject(0, std::string(4000, 'x'));
    const auto run = rilkWithFileSizeLimit(1024, {"-o", "out.txt"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find("out.txt"), std::string::npos) << run.out << run.err;
    EXPECT_EQ(read("out.txt"), old);
}

TEST_F(FailingWrites, DevicesAreWrittenDirectly) {
    writeProject(0, "v");
    const auto full = rilk({"-o", "/dev/full"});
    EXPECT_EQ(full.exitCode, 1) << full.out << full.err;
    EXPECT_NE(full.out.find("\nError: Unable to write file '/dev/full': No space left on device\n"),
              std::string::npos)
        << full.out << full.err;

    const auto null = rilk({"-o", "/dev/null"});
    EXPECT_EQ(null.exitCode, 0) << null.out << null.err;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

/// What a shell script that runs rilk (as "$0") prints, and its exit status.
TEST_F(FailingWrites, AnOutputFileOnStandardOutputOrAFifoFollowsTheLog) {
    writeProject(0, "v");
    const std::string log = rilk({}).out;
    ASSERT_EQ(log.rfind("Starting build\n", 0), 0u) << log;
    struct Case {
        const char* script;
        const char* file;  // where the script leaves what rilk wrote; its output when empty
    };
    const Case cases[] = {
        {"{ \"$0\" -o /dev/stdout; echo \"exit $?\"; } | cat", ""},
        {"\"$0\" -o /dev/stdout > log; echo \"exit $?\"", "log"},
        {"\"$0\" -o /dev/fd/1 >> log2; echo \"exit $?\"", "log2"},
        {"mkfifo fifo; cat fifo > got & \"$0\" -o fifo; echo \"exit $?\"; wait", "got"},
    };
    for (const Case& c : cases) {
        const auto result = RilkTest::runProcess(
            {"/bin/sh", "-c", c.script, RILK_BINARY},
            {.workingDirectory = work.path(), .environment = userEnvironment()});
        const std::string file = c.file;
        if (file.empty()) {
            EXPECT_EQ(result.out, log + "V = \"v\"\nexit 0\n") << c.script;
        } else if (file == "got") {
            EXPECT_EQ(result.out, log + "exit 0\n") << c.script;
            EXPECT_EQ(read(file), "V = \"v\"\n") << c.script;
        } else {
            EXPECT_EQ(result.out, "exit 0\n") << c.script;
            EXPECT_EQ(read(file), log + "V = \"v\"\n") << c.script;
        }
        EXPECT_EQ(result.err, "") << c.script;
    }
}

TEST_F(FailingWrites, StandardOutputThatCannotBeWrittenFailsTheRun) {
    writeProject(0, "v");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"-h"}, {}}) {
        std::string command = "\"$0\"";
        for (const std::string& arg : args) command += " " + arg;
        const auto result = RilkTest::runProcess(
            {"/bin/sh", "-c", command + " > /dev/full", RILK_BINARY},
            {.workingDirectory = work.path(), .environment = userEnvironment()});
        EXPECT_EQ(result.err, "Error: Cannot write to standard output: No space left on device.\n")
            << command;
        EXPECT_EQ(result.exitCode, 1) << command;
    }
}

}  // namespace
