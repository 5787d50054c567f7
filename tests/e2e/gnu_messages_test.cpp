// What a user of the machine's GCC toolchain reads when a target cannot be built: the tool
// that came nearest and what it lacks, a name the system cannot hold, and names that the
// tools must not take for options.
#include <filesystem>
#include <regex>
#include <string>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class GnuMessages : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
        ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0);
        write({{"a.c", "int f(void) { return 1; }\n"}, {"m.c", "int main(void) { return 0; }\n"}});
    }

    /// The last line of the run's output.
    static std::string lastLine(const std::string& out) {
        const std::size_t end = out.size() - (out.ends_with('\n') ? 1 : 0);
        return out.substr(out.rfind('\n', end - 1) + 1);
    }
};

TEST_F(GnuMessages, AFailedTargetNamesWhatIsWrong) {
    const std::string name(254, 'n');
    write({{"rilk.txt",
            "unit u\n"
            "lib: { OUTPUT_NAME = \"libx.a\" }\n"
            "arm: { C_FILES = P\"(m.c)\" ARCH = \"arm\" }\n"
            "long: { C_FILES = P\"(m.c)\" OUTPUT_NAME = \"" +
                name + "\" }\n"}});
    struct Case {
        const char* target;
        std::string last;
    };
    const Case cases[] = {
        {"lib",
         "Error: No tool to build u::lib. The nearest tool, 'default_gnu_x86_64_V', cannot "
         "build it: 'x86_64-linux-gnu-ar' needs OBJS.\n"},
        {"arm",
         "Error: No tool to build u::arm. The nearest tool, 'default_gnu_x86_64_V', cannot "
         "build it: its toolchain (x86_64-linux-gnu, version V) is not the one the target's "
         "ARCH, TOOLCHAIN_TRIPLET or wanted version asks for.\n"},
        {"long", "Error: The OUTPUT_NAME of u::long is too long: its dependency file '" + name +
                     ".d' would have a name of 256 bytes, more than the 255 a file name may "
                     "have. Choose a shorter OUTPUT_NAME.\n"},
    };
    for (const Case& c : cases) {
        const auto result = rilk({c.target});
        // The tool's name holds the machine's GCC version.
        const std::regex version("(default_gnu_x86_64_|version )[0-9_.]+");
        EXPECT_EQ(std::regex_replace(lastLine(result.out), version, "$1V"), c.last) << c.target;
        EXPECT_EQ(result.err, "") << c.target;
        EXPECT_EQ(result.exitCode, 1) << c.target;
    }
}

TEST_F(GnuMessages, AnArchiveNamedLikeAnOptionIsMade) {
    write({{"rilk.txt",
            "unit u\nobjs: { C_FILES = P\"(a.c)\" C_FLAGS = \"-c\" }\n"
            "lib: +objs { OBJS OUTPUT_NAME = \"-v.a\" }\n"}});
    const auto result = rilk({"lib"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(fs::is_regular_file(work.path() / "out/x86_64-linux-gnu/u/lib/-v.a"))
        << result.out << result.err;
}

TEST_F(GnuMessages, AProjectPathThatLeavesNoRoomForItsOutputDirectoryIsNamed) {
    // A working directory of 4075 bytes: its project file's path still fits the system's
    // 4095, the output directory's does not.
    std::string deep;
    while (work.path().string().size() + deep.size() + 202 < 4075) {
        deep += std::string(200, 'd') + "/";
    }
    deep += std::string(4075 - work.path().string().size() - deep.size() - 1, 'e');
    write({{deep + "/rilk.txt", "unit u\np: { C_FILES = P\"(m.c)\" }\n"},
           {deep + "/m.c", "int main(void) { return 0; }\n"}});
    const fs::path out = work.path() / deep / "out/x86_64-linux-gnu/u/p";
    const auto result = rilk({"p"}, deep);
    EXPECT_EQ(lastLine(result.out),
              "Error: Cannot create the output directory '" + out.string() +
                  "' of u::p: File name too long. Its path has 4100 bytes, more than the system "
                  "takes (4095); move the project to a shorter path.\n");
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
