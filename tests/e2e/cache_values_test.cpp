// Values that no literal of the language holds (names ending in ')', holding ')"', not
// UTF-8) are kept in the build cache, so their targets are up to date on the next run.
#include <filesystem>
#include <sstream>
#include <string>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class CacheValues : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
    }
};

/// The lines of `text` that show a command of a tool from /usr/bin.
std::string commandLines(const std::string& text) {
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find("\"/usr/bin/") != std::string::npos) lines += line + "\n";
    }
    return lines;
}

TEST_F(CacheValues, TargetsWithNamesNoLiteralHoldsAreUpToDateOnTheNextRun) {
    ASSERT_EQ(rilk({"--find-compilers"}).exitCode, 0);
    const struct {
        std::string root;
        std::string include;
        std::string source;
    } cases[] = {
        {"include", "inc)", "main.c"},
        {"source", "inc", "a)\".c"},
        {"latin-1 caf\xe9", "inc", "main.c"},
    };
    for (const auto& c : cases) {
        write({{c.root + "/.rilk_project.txt", "name w\nunits { u { \"rilk.txt\" } }\n"},
               {c.root + "/" + c.include + "/two.h", "#define TWO 2\n"},
               {c.root + "/" + c.source,
                "#include <stdio.h>\n#include \"two.h\"\n"
                "int main(void) { printf(\"%d\\n\", TWO); return 0; }\n"},
               {c.root + "/rilk.txt",
                "unit u\napp: { C_FILES = P\"(*.c)\" INCLUDE = P\"(inc*)\" OUTPUT_NAME = \"app\" "
                "}\n"}});
        const auto first = rilk({}, c.root);
        ASSERT_EQ(first.exitCode, 0) << c.root << "\n" << first.out << first.err;
        ASSERT_NE(commandLines(first.out), "") << c.root;
        const auto second = rilk({}, c.root);
        EXPECT_EQ(second.exitCode, 0) << c.root;
        EXPECT_EQ(commandLines(second.out), "") << c.root << "\n" << second.out;
        const fs::path app = work.path() / c.root / "out/x86_64-linux-gnu/w/u/app/app";
        EXPECT_EQ(RilkTest::runProcess({app.string()}).out, "2\n") << c.root;
    }
}

}  // namespace
