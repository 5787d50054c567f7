// Each element of a list variable that a GNU tool passes on is one argument, its prefix
// once, whatever blanks it holds; a string alone gives one argument per word. The machine's
// GCC builds the programs, so a wrong cut shows as a wrong program or a failed build.
#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class ListArguments : public RilkRun {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/x86_64-linux-gnu-gcc-12")) {
            GTEST_SKIP() << "no GCC 12 for x86_64-linux-gnu in /usr/bin";
        }
        write({{".rilk_project.txt",
                "name sys\ntools { gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(/usr/bin)\" "
                "} }\nunits { main { \"rilk.txt\" } }\n"},
               {"main.c",
                "#include <stdio.h>\nint main(void) { printf(\"S=[%s]\\n\", S); return 0; }\n"}});
    }

    fs::path outputDir(const std::string& target) const {
        return work.path() / "out/x86_64-linux-gnu/sys/main" / target;
    }

    /// Builds `target`, which must succeed and print each of `texts`; its output.
    std::string build(const std::string& target, const std::vector<std::string>& texts) const {
        const auto result = rilk({target});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        for (const std::string& text : texts) {
            EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
        }
        return result.out;
    }
};

TEST_F(ListArguments, ADefineHoldingABlankIsOneDefine) {
    write({{"rilk.txt", R"x(unit main
app: { C_FILES = P"(main.c)"  C_DEFINES = [R"(S=\"a\ b\")"] }
words: { C_FILES = P"(main.c)"  C_DEFINES = R"(S=\"w\" UNUSED=1)" }
linked: +objs { OBJS }
objs: { C_FILES = P"(main.c)"  C_FLAGS = "-c"  C_DEFINES = [R"(S=\"c\ d\")", "UNUSED"] }
)x"}});
    // Target, the defines its command shows, what its program prints.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"app", R"( -DS=\"a\ b\" )", "S=[a b]\n"},
        {"words", R"( -DS=\"w\" -DUNUSED=1 )", "S=[w]\n"},  // a string stays shell words
        {"linked", R"( -DS=\"c\ d\" -DUNUSED)", "S=[c d]\n"},
    };
    for (const auto& [target, defines, printed] : cases) {
        SCOPED_TRACE(target);
        build(target, {defines});
        const fs::path program = outputDir(target) / target;
        EXPECT_EQ(RilkTest::runProcess({program.string()}).out, printed);
    }
}

TEST_F(ListArguments, EachElementOfTheLinkAndCopyListsIsOneArgument) {
    // An archive in a folder whose name holds a blank, named by a plain string.
    write({{"x.c", "int x(void) { return 7; }\n"},
           {"uses_x.c", "int x(void);\nint main(void) { return x() - 7; }\n"},
           {"s.c", "int s(void) { return 1; }\n"},
           {"note  file.txt", "note\n"}});
    const fs::path library = work.path() / "lib dir";
    fs::create_directories(library);
    ASSERT_EQ(RilkTest::runProcess(
                  {"/usr/bin/gcc", "-c", dir() + "/x.c", "-o", (library / "x.o").string()})
                  .exitCode,
              0);
    ASSERT_EQ(RilkTest::runProcess(
                  {"/usr/bin/ar", "rcs", (library / "libx.a").string(), (library / "x.o").string()})
                  .exitCode,
              0);
    const std::string archive = (library / "libx.a").string();
    const std::string note = dir() + "/note  file.txt";
    std::string unit = R"x(unit main
lib: { C_FILES = P"(uses_x.c)"  LIB = ["ARCHIVE"] }
map: { C_FILES = P"(main.c)"  C_DEFINES = ["S=0"]  LINK_FLAGS = ["-Map=gcc map.txt"] }
pic: { C_FLAGS = "-fPIC -c"  C_FILES = P"(s.c)" }
so: +pic { OBJS  SO  LIB = ["ARCHIVE"]  LINK_FLAGS = ["-Map=ld map.txt"] }
raw: { INPUT = P"(lib dir/x.o)"  OBJCOPY_FLAGS = [R"(--add-section .note.extra="NOTE")"] }
)x";
    unit = std::regex_replace(unit, std::regex("ARCHIVE"), archive);
    write({{"rilk.txt", std::regex_replace(unit, std::regex("NOTE"), note)}});
    // Target, texts its command shows, a file it writes in its output directory.
    const std::tuple<const char*, std::vector<std::string>, const char*> cases[] = {
        {"lib", {" \"" + archive + "\""}, "lib"},
        {"map", {" -Wl,\"-Map=gcc map.txt\""}, "gcc map.txt"},
        {"so", {" \"" + archive + "\"", " \"-Map=ld map.txt\""}, "ld map.txt"},
        {"raw", {" --add-section .note.extra=\"" + note + "\" "}, "raw"},
    };
    for (const auto& [target, texts, file] : cases) {
        SCOPED_TRACE(target);
        build(target, texts);
        EXPECT_TRUE(fs::is_regular_file(outputDir(target) / file)) << file;
    }
}

}  // namespace
