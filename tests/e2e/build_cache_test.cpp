#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

/// Builds command targets that copy their source to an output file and note their name in
/// runs.txt, so a test sees which targets really ran.
class BuildCache : public RilkRun {
protected:
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// The targets that ran since the last call, in order.
    std::vector<std::string> ran() {
        std::vector<std::string> names;
        std::istringstream lines(read("runs.txt"));
        for (std::string line; std::getline(lines, line);) names.push_back(line);
        std::filesystem::remove(work.path() / "runs.txt");
        return names;
    }

    /// Dates `relative` anew, as an edit after the last build would.
    void touch(const std::string& relative) const {
        std::filesystem::last_write_time(work.path() / relative,
                                         std::filesystem::file_time_type::clock::now());
    }

    /// A command target copying src/<name>.in to out/<name>.txt.
    static std::string copyTarget(const std::string& name, const std::string& deps = "") {
        return name + ": " + deps + " {\n    SRC = P\"(src/" + name +
               ".in)\"\n    ^OUT = P\"(out/" + name +
               ".txt)\"\n    cmdline = [ \"mkdir -p out\", \"cp src/" + name + ".in out/" + name +
               ".txt\", \"echo " + name + " >> runs.txt\" ]\n}\n";
    }

    void writeCopyProject(const std::string& targets) const {
        write({{"rilk.txt", "unit u\n" + targets},
               {"src/a.in", "a"},
               {"src/b.in", "b"},
               {"src/c.in", "c"}});
    }
};

bool has(const std::string& out, const std::string& line) {
    return out.find(line) != std::string::npos;
}

TEST_F(BuildCache, SecondRunOfAnUnchangedTargetRunsNothing) {
    writeCopyProject(copyTarget("a"));
    auto first = rilk({"-v", "1", "-o", "first.txt"});
    EXPECT_TRUE(has(first.out, "Cache claimed for 'u::a'.\n")) << first.out;
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    EXPECT_EQ(ran(), std::vector<std::string>{"a"});
    EXPECT_EQ(read(".rilk_cache").substr(0, 16), "RILK_CACHE_V8\n1\n");

    auto second = rilk({"-v", "1", "-o", "second.txt"});
    EXPECT_TRUE(has(second.out, "Cache hit for 'u::a'.\n")) << second.out;
    EXPECT_FALSE(has(second.out, "[u::a] cp src/a.in out/a.txt\n")) << second.out;
    EXPECT_TRUE(has(first.out, "[u::a] cp src/a.in out/a.txt\n")) << first.out;
    EXPECT_TRUE(ran().empty());
    EXPECT_EQ(read("second.txt"), read("first.txt"));
    EXPECT_TRUE(has(read("second.txt"), "OUT = ")) << read("second.txt");
}

TEST_F(BuildCache, RebuildsWhatChanged) {
    writeCopyProject("all: a b {\n    NO_TOOL = 1\n}\n" + copyTarget("a") + copyTarget("b"));
    write({{".rilk_project.txt",
            "name demo\nunits { u { \"rilk.txt\" } }\n"
            "profiles {\n    debug { }\n    release { }\n}\n"}});
    auto result = rilk({"-v", "2", "debug"});
    EXPECT_TRUE(has(result.out,
                    "[u::all] Target 'u::all' not suitable for caching. Using the "
                    "original context.\n"))
        << result.out;
    EXPECT_EQ(ran(), (std::vector<std::string>{"a", "b"}));

    touch("src/b.in");
    rilk({"debug"});
    EXPECT_EQ(ran(), std::vector<std::string>{"b"});

    std::filesystem::remove(work.path() / "out/a.txt");
    rilk({"debug"});
    EXPECT_EQ(ran(), std::vector<std::string>{"a"});

    rilk({"release"});
    EXPECT_EQ(ran(), (std::vector<std::string>{"a", "b"}));
    rilk({"release"});
    EXPECT_TRUE(ran().empty());
    // Records of a and b only: a target without plan stores none.
    EXPECT_EQ(read(".rilk_cache").substr(0, 16), "RILK_CACHE_V8\n2\n");
}

TEST_F(BuildCache, OutputsWithoutPathRebuildEveryRun) {
    write({{"rilk.txt",
            "unit u\nt: {\n    ^MSG = \"hi\"\n    cmdline = \"echo t >> runs.txt\"\n}\n"}});
    rilk({});
    auto again = rilk({"-v", "1"});
    EXPECT_TRUE(has(again.out, "Cache claimed for 'u::t'.\n")) << again.out;
    EXPECT_EQ(ran(), (std::vector<std::string>{"t", "t"}));
}

TEST_F(BuildCache, ATargetReachedTwiceIsBuiltOnceAndKeysIgnoreCase) {
    writeCopyProject("all: a b {\n    NO_TOOL = 1\n}\n" + copyTarget("a", "c") +
                     copyTarget("b", "c") + copyTarget("c"));
    rilk({});
    EXPECT_EQ(ran(), (std::vector<std::string>{"c", "a", "b"}));
    auto upper = rilk({"-v", "1", "C"});
    EXPECT_TRUE(has(upper.out, "Cache hit for")) << upper.out;
    EXPECT_TRUE(ran().empty());
}

TEST_F(BuildCache, DamagedFileIsReportedAndReplaced) {
    writeCopyProject(copyTarget("a"));
    const std::string file = dir() + "/.rilk_cache";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Cache file '" + file + "' has invalid header. Starting with empty cache.\n"},
        {"RILK_CACHE_V9\n0\n",
         "Cache file '" + file +
             "' has unsupported header 'RILK_CACHE_V9'. Starting with empty cache.\n"},
        {"RILK_CACHE_V5\n-1\n",
         "Cache file '" + file + "' has invalid records count. Starting with empty cache.\n"},
        {"RILK_CACHE_V5\n1\n99\nu::a\n",
         "Cache file '" + file + "' is malformed (record key). Starting with empty cache.\n"},
    };
    for (const auto& [bytes, message] : cases) {
        write({{".rilk_cache", bytes}});
        auto result = rilk({"-v", "6"});
        EXPECT_EQ(result.out.substr(0, message.size()), message) << bytes;
        EXPECT_EQ(result.exitCode, 0) << bytes;
        EXPECT_EQ(ran(), std::vector<std::string>{"a"});
        auto next = rilk({"-v", "6"});
        EXPECT_FALSE(has(next.out, "Starting with empty cache")) << next.out;
        EXPECT_TRUE(ran().empty());
    }
}

TEST_F(BuildCache, FailedBuildLeavesTheFileAsItWas) {
    writeCopyProject(copyTarget("a"));
    rilk({});
    const std::string before = read(".rilk_cache");
    write(
        {{"rilk.txt", "unit u\na: {\n    ^OUT = P\"(out/a.txt)\"\n    cmdline = \"exit 3\"\n}\n"}});
    auto failed = rilk({});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(read(".rilk_cache"), before);
}

TEST_F(BuildCache, CompileAndLinkLikeProjectRebuildsOneObjectAndTheLink) {
    auto compile = [](const std::string& name) {
        return name + ": {\n    SRC = P\"(src/" + name + ".c)\"\n    ^OBJ = P\"(obj/" + name +
               ".o)\"\n    cmdline = [ \"mkdir -p obj\", \"cp src/" + name + ".c obj/" + name +
               ".o\", \"echo " + name + " >> runs.txt\" ]\n}\n";
    };
    write({{"rilk.txt",
            "unit prog\napp: one two {\n    ^EXE = P\"(app.bin)\"\n"
            "    cmdline = [ \"cat ${one.OBJ} ${two.OBJ} > app.bin\", \"echo app >> runs.txt\" "
            "]\n}\n" +
                compile("one") + compile("two")},
           {"src/one.c", "1"},
           {"src/two.c", "2"}});
    rilk({});
    EXPECT_EQ(ran(), (std::vector<std::string>{"one", "two", "app"}));
    auto second = rilk({"-v", "1"});
    EXPECT_TRUE(has(second.out, "Cache hit for 'prog::app'.\n")) << second.out;
    EXPECT_TRUE(ran().empty());

    touch("src/two.c");
    rilk({});
    EXPECT_EQ(ran(), (std::vector<std::string>{"two", "app"}));
    EXPECT_EQ(read("app.bin"), "12");
}

// A run started by a command of the build (nested in it) stores its own record of a target
// this run builds too: the later record is kept, so the next run finds the target up to date.
TEST_F(BuildCache, TheLaterOfTwoRecordsANestedRunAndItsBuildStoredIsKept) {
    const std::string nest = "nest: {\n    cmdline = \"'" RILK_BINARY "' a\"\n}\n";
    struct Case {
        const char* label;
        const char* top;
        bool builtBefore;
    };
    const Case cases[] = {
        {"a built, then by the nested run; no cache before", "top: a nest", false},
        {"a built, then by the nested run; its source changed", "top: a nest", true},
        {"a built by the nested run, then found built", "top: nest a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove(work.path() / ".rilk_cache");
        std::filesystem::remove_all(work.path() / "out");
        writeCopyProject(std::string(c.top) + " {\n    NO_TOOL = 1\n}\n" + copyTarget("a") + nest);
        if (c.builtBefore) {
            ASSERT_EQ(rilk({"top"}).exitCode, 0);
            write({{"src/a.in", "changed"}});
        }
        const auto built = rilk({"top"});
        ASSERT_EQ(built.exitCode, 0) << built.out << built.err;
        ran();
        const auto again = rilk({"a"});
        EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
        EXPECT_TRUE(ran().empty()) << again.out;
    }
}

}  // namespace
