// Incremental builds with the machine's GCC: a changed header rebuilds exactly the objects
// whose sources include it, and another toolchain rebuilds what the first one built.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/rilk_run.h"
#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

class IncrementalBuild : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
    }

    /// Records the machine's toolchains in the test's own registry.
    void findCompilers() const { ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0); }

    fs::path outputDir(const std::string& target) const {
        return work.path() / "out/x86_64-linux-gnu/u" / target;
    }

    /// Dates `file` a second before its time: its stamp then differs from the one the last
    /// run recorded, however close together the runs and writes came.
    static void touch(const fs::path& file) {
        fs::last_write_time(file, fs::last_write_time(file) - std::chrono::seconds(1));
    }

    /// Per target that ran commands, in run order, "target:" and the file names of the
    /// sources its compile and link commands name, in name order, since parallel jobs
    /// print in any order ("*" for commands without sources).
    static std::string rebuilt(const std::string& out) {
        std::vector<std::pair<std::string, std::vector<std::string>>> targets;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            if (line.find("] \"/usr/bin/") == std::string::npos &&
                line.find("] : > ") == std::string::npos) {
                continue;
            }
            const std::size_t name = line.find("::") + 2;
            const std::string target = line.substr(name, line.find(']') - name);
            if (targets.empty() || targets.back().first != target) targets.push_back({target, {}});
            for (std::size_t at = line.find(".c\""); at != std::string::npos;
                 at = line.find(".c\"", at + 1)) {
                const std::size_t start = line.rfind('/', at) + 1;
                targets.back().second.push_back(line.substr(start, at + 2 - start));
            }
        }
        std::string summary;
        for (auto& [target, sources] : targets) {
            std::sort(sources.begin(), sources.end());
            std::string names;
            for (const std::string& source : sources) names += source + ",";
            summary += target + ":" + (names.empty() ? "*" : names) + " ";
        }
        return summary;
    }

    /// Builds and returns `rebuilt` of the run, which must succeed.
    std::string build() const {
        const auto result = rilk({"-j", "4"});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return rebuilt(result.out);
    }
};

TEST_F(IncrementalBuild, ATouchedHeaderRebuildsExactlyTheObjectsIncludingItAndTheLink) {
    findCompilers();
    write({{"rilk.txt", R"x(unit u
app: +archive { C_FILES = P"(main.c)" INCLUDE = P"(inc)" }
archive: +parts { OBJS OUTPUT_NAME = "libparts.a" }
parts: { C_FLAGS = "-c" C_FILES = [P"(a.c)", P"(b.c)", P"(c.c)", P"(d.c)"]
         INCLUDE = [P"(inc)", P"(in c)"] }
)x"},
           {"inc/direct.h", "#define DIRECT 1\n"},
           {"inc/outer.h", "#include \"inner.h\"\n"},
           {"inc/inner.h", "#define INNER 2\n"},
           {"inc/unused.h", "#define UNUSED 3\n"},
           {"inc/main.h", "#define MAIN 0\n"},
           {"in c/bl ank.h", "#define BLANK 4\n"},
           {"a.c", "#include \"direct.h\"\nint a(void) { return DIRECT; }\n"},
           {"b.c", "#include \"outer.h\"\nint b(void) { return INNER; }\n"},
           {"c.c", "#include \"bl ank.h\"\nint c(void) { return BLANK; }\n"},
           {"d.c", "int d(void) { return 5; }\n"},
           {"main.c",
            "#include \"main.h\"\nint a(void);\nint b(void);\nint c(void);\n"
            "int main(void) { return a() + b() + c() - 7 + MAIN; }\n"}});
    EXPECT_EQ(build(), "parts:a.c,b.c,c.c,d.c, archive:* app:main.c, ");
    EXPECT_EQ(build(), "");
    const fs::path object = outputDir("parts") / "a.o";
    const fs::path program = outputDir("app") / "app";
    const std::pair<std::string, std::string> cases[] = {
        {"inc/direct.h", "parts:a.c, archive:* app:main.c, "},
        {"inc/inner.h", "parts:b.c, archive:* app:main.c, "},
        {"in c/bl ank.h", "parts:c.c, archive:* app:main.c, "},
        {"inc/main.h", "app:main.c, "},
        {"inc/unused.h", ""},
    };
    for (const auto& [header, expected] : cases) {
        touch(work.path() / header);
        EXPECT_EQ(build(), expected) << header;
        EXPECT_EQ(build(), "") << header;
    }
    EXPECT_EQ(RilkTest::runProcess({program.string()}).exitCode, 0);
    EXPECT_TRUE(fs::exists(object));
}

TEST_F(IncrementalBuild, AHeaderNoLongerIncludedMayBeRemoved) {
    findCompilers();
    write({{"rilk.txt", "unit u\nparts: { C_FLAGS = \"-c\" C_FILES = [P\"(a.c)\", P\"(b.c)\"] }\n"},
           {"gone.h", "#define GONE 1\n"},
           {"a.c", "#include \"gone.h\"\nint a(void) { return GONE; }\n"},
           {"b.c", "int b(void) { return 2; }\n"}});
    EXPECT_EQ(build(), "parts:a.c,b.c, ");
    write({{"a.c", "int a(void) { return 1; }\n"}});
    touch(work.path() / "a.c");
    fs::remove(work.path() / "gone.h");
    EXPECT_EQ(build(), "parts:a.c, ");
    EXPECT_EQ(build(), "");
}

TEST_F(IncrementalBuild, TheFilesABuildReadAreKeptWithItsRecord) {
    findCompilers();
    write({{"rilk.txt", "unit u\nparts: { C_FLAGS = \"-c\" C_FILES = [P\"(a.c)\", P\"(b.c)\"] }\n"},
           {"a.c", "int a(void) { return 1; }\n"},
           {"b.c", "int b(void) { return 2; }\n"}});
    EXPECT_EQ(build(), "parts:a.c,b.c, ");
    EXPECT_TRUE(fs::exists(outputDir("parts") / "a.d"));
    // A dependency file is read when its object is built; a later loss changes nothing.
    fs::remove(outputDir("parts") / "a.d");
    EXPECT_EQ(build(), "");
    // A record without the files an object's build read (as one of an older release)
    // rebuilds it once.
    const fs::path cache = work.path() / ".rilk_cache";
    std::string text = readFile(cache);
    ASSERT_EQ(text.rfind("RILK_CACHE_V8\n", 0), 0u);
    // After the object's line: the count of the files read + 1, then each as a sized text
    // (the system's headers "-MD" names among them).
    const std::size_t counted = text.find('\n', text.find("b.o")) + 1;
    const std::size_t countEnd = text.find('\n', counted);
    ASSERT_NE(countEnd, std::string::npos);
    std::size_t end = countEnd + 1;
    for (int i = 1; i < std::stoi(text.substr(counted, countEnd - counted)); ++i) {
        const std::size_t lengthEnd = text.find('\n', end);
        end = lengthEnd + 1 + std::stoul(text.substr(end, lengthEnd - end)) + 1;
    }
    text.replace(counted, end - counted, "0\n");
    work.write(".rilk_cache", text);
    EXPECT_EQ(build(), "parts:b.c, ");
    EXPECT_EQ(build(), "");
}

TEST_F(IncrementalBuild, AnotherToolchainRebuildsAndSwitchingBackRebuildsAgain) {
    // Two wrapper directories around the machine's compiler: one triplet, one version, two
    // programs.
    for (const char* name : {"w1", "w2"}) {
        for (const char* tool : {"gcc", "g++", "ar", "ld", "objcopy"}) {
            RilkTest::writeScript(work.path() / name / "bin" / tool,
                                  std::string("exec /usr/bin/") + tool + " \"$@\"\n");
        }
    }
    const auto project = [&](const std::string& wrapper) {
        write({{".rilk_project.txt",
                "name w tools { tc { tool_type = \"gnu-gcc\" toolchain_path = P\"(" + wrapper +
                    ")\" } } units { u { \"rilk.txt\" } }"}});
    };
    write({{"rilk.txt", "unit u\nparts: { C_FLAGS = \"-c\" C_FILES = [P\"(a.c)\", P\"(b.c)\"] }\n"},
           {"a.c", "int a(void) { return 1; }\n"},
           {"b.c", "int b(void) { return 2; }\n"}});
    const auto compiles = [&](const std::string& wrapper) {
        const auto result = rilk({"-v", "5"});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string program = (work.path() / wrapper / "bin/gcc").string();
        return result.out.find("\"" + program + "\" -c -MD") != std::string::npos;
    };
    project("w1");
    EXPECT_TRUE(compiles("w1"));
    EXPECT_FALSE(compiles("w1"));
    project("w2");
    EXPECT_TRUE(compiles("w2"));
    EXPECT_FALSE(compiles("w2"));
    project("w1");
    EXPECT_TRUE(compiles("w1"));
    EXPECT_FALSE(compiles("w1"));
}

}  // namespace
