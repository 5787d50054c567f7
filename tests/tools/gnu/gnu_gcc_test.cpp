#include "tools/gnu/gnu_gcc.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/gnu/compile_only_flag.h"
#include "tools/gnu/gnu_test_support.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using namespace RilkTest;

std::string written(const Assignment& a) {
    return (a.modifier == AssignModifier::Up ? "^" : "") + a.toString();
}

TEST(GnuCompileOnlyFlag, AnyWordThatIsExactlyDashC) {
    const std::pair<const char*, bool> cases[] = {
        {"-O2 -c", true}, {"-c", true},     {"-fno-common -c", true},
        {"\t-c\n", true}, {"-cfoo", false}, {"-O2", false},
        {"x", false},     {"", false},      {"-fno-common", false},
        {"-c-", false},
    };
    for (const auto& [flags, compileOnly] : cases) {
        EXPECT_EQ(hasCompileOnlyFlag(flags), compileOnly) << flags;
    }
}

class GnuCompilerTest : public ::testing::Test {
protected:
    GnuCompilerTest() { verbosity = 6; }
    ~GnuCompilerTest() override { verbosity = savedVerbosity; }

    /// A target of the project with the variables, built by `tool` in `jobs` jobs.
    DrivenBuild build(Builder& tool, std::vector<Assignment> variables, std::size_t jobs = 1,
                      const std::string& parameters = "") {
        variables.push_back(var("PROJECT_ROOT", str(root.string())));
        return driveBuild(tool, *makeTarget(variables, "app", parameters), jobs);
    }
    static std::string commands(const DrivenBuild& built) {
        std::string text;
        for (const Recipe& recipe : built.recipes) text += recipe.command + "\n";
        return text;
    }

    const int savedVerbosity = verbosity;
    TempDir temp;
    const fs::path root = temp.path() / "project";
    const fs::path out = root / "x86_64-linux-gnu/main/app";
    GNU_GCC gcc{gnuGccTables(), toolchainIn("/tc/bin"), "/tc/bin/gcc"};
    GNU_GPP gpp{gnuGppTables(), toolchainIn("/tc/bin"), "/tc/bin/g++"};
};

TEST_F(GnuCompilerTest, LinkModeCommandTexts) {
    const std::pair<std::vector<Assignment>, std::string> cases[] = {
        {{var("C_FLAGS", str("-O2")), var("C_FILES", list({"a.c", "b.c"})),
          var("INCLUDE", str("inc")), var("LIB", str("-lm")), var("OUTPUT_NAME", str("app"))},
         R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" )"
         R"("/tc/bin/gcc" -O2 "a.c" "b.c" -I"inc" -o "app" "-lm")"},
        {{var("C_FLAGS", str("")), var("C_FILES", str("a.c")), var("OUTPUT_NAME", nullptr)},
         R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" )"
         R"("/tc/bin/gcc" "a.c" -o "app")"},
        {{var("C_FILES", str("a.c")), var("C_DEFINES", list({"A=1", "B"})),
          var("INCLUDE", str("/x y")), var("OUTPUT_NAME", str(""))},
         R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" )"
         R"("/tc/bin/gcc" "a.c" -DA=1 -DB -I"/x y" -o "app")"},
        {{var("C_FILES", str("a.c")), var("LIB", str("\"-lz\" -lm")),
          var("LINK_FLAGS", list({"-static"}))},
         R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" )"
         R"("/tc/bin/gcc" "a.c" -o "app" "-lz" "-lm" -Wl,"-static")"},
        {{var("C_FILES", str("a.c")), var("LIBPATH", str("/l")), var("LINK_FLAGS", str(""))},
         R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" )"
         R"("/tc/bin/gcc" "a.c" -o "app" -Wl,-L"/l")"},
        {{var("OBJS", list({"x.o", "y.o"})), var("LD_SCRIPT", str("s.ld")),
          var("CPP_FILES", str("c.cpp")), var("OUTPUT_NAME", str("a$`\"b"))},
         R"("/tc/bin/gcc" "x.o" "y.o" -T"s.ld" -o "a\$\`\"b")"},
        {{var("LIB", list({"/lib dir/libx.a"}, true)), var("OBJS", str("m.o"))},
         R"("/tc/bin/gcc" "m.o" -o "app" "/lib dir/libx.a")"},
        // A list's one element is one argument, blanks and all.
        {{var("OBJS", str("m.o")), var("C_DEFINES", list({R"(S=\"a\ b\")"})),
          var("LIB", list({"/lib dir/libx.a"})), var("LINK_FLAGS", list({"-Map=a b"}))},
         R"("/tc/bin/gcc" -DS=\"a\ b\" "m.o" -o "app" "/lib dir/libx.a" -Wl,"-Map=a b")"},
    };
    for (const auto& [variables, command] : cases) {
        const DrivenBuild built = build(gcc, variables);
        EXPECT_EQ(commands(built), command + "\n");
        ASSERT_EQ(built.recipes.size(), 1u);
        EXPECT_EQ(built.recipes[0].workingDirectory, out);
        EXPECT_EQ(built.recipes[0].pathDirectories, std::vector<fs::path>{"/tc/bin"});
        EXPECT_EQ(built.plan.maxParallelJobs, 1u);
    }
    EXPECT_EQ(commands(build(gpp, {var("C_FILES", str("a.c")), var("CPP_FILES", str("b.cpp"))})),
              ": > \"app.d\" && SUNPRO_DEPENDENCIES=\"app.d\" \"/tc/bin/g++\" \"a.c\" \"b.cpp\" -o "
              "\"app\"\n");
}

TEST_F(GnuCompilerTest, LinkModePlansTheSourcesWithoutObjectsAndNamesTheProgramOnce) {
    const DrivenBuild built =
        build(gcc, {var("C_FILES", list({"a.c", "b.c"})), var("CPP_FILES", str("c.cpp")),
                    var("LIB", str("-lm")), var("INCLUDE", str("inc")),
                    var("OUTPUT_NAME", str("bin/prog"))});
    ASSERT_EQ(built.plan.workItems.size(), 1u);
    std::string item;
    for (const WorkItemEntry& entry : built.plan.workItems[0].inputs) {
        item += written(entry.input) + (entry.hasIntermediate() ? " with intermediate" : "") + ";";
    }
    for (const Assignment& output : built.plan.workItems[0].outputs) item += written(output) + ";";
    EXPECT_EQ(item, fmt::format("C_FILES = [ \"a.c\", \"b.c\" ];LIB = \"-lm\";"
                                "^BINARY = P\"{}/bin/prog\";^BINARY_NAME = \"prog\";",
                                out.string()));
    std::string context;
    for (const Assignment& a : built.plan.context) context += a.name + ";";
    EXPECT_EQ(context, "INCLUDE;PROJECT_ROOT;OUTPUT_NAME;RILK_TOOL_PROGRAM;");
    EXPECT_TRUE(fs::is_directory(out / "bin"));
    const Context& outputs = built.outputs.at(0);
    EXPECT_EQ(fullPathOf(outputs, "binary") + "|" + outputs.getString("binary_name") + "|" +
                  fullPathOf(outputs, "elf") + "|" + outputs.getString("objs"),
              (out / "bin/prog").string() + "|prog|" + (out / "bin/prog").string() + "|");
}

TEST_F(GnuCompilerTest, CompileOnlyPlansOneItemPerSourceAndSpreadsThemOverJobs) {
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i) sources.push_back(fmt::format("{}/s{}.c", temp.path().string(), i));
    const DrivenBuild built =
        build(gcc,
              {var("C_FLAGS", str("-fno-common -c")), var("C_FILES", list(sources, true)),
               var("CPP_FILES", str("x.cpp")), var("OBJS", str("old.o"))},
              4);
    EXPECT_EQ(built.plan.maxParallelJobs, BuildPlan::kNoJobLimit);
    ASSERT_EQ(built.plan.workItems.size(), 8u);  // no item for the C++ source
    EXPECT_EQ(written(built.plan.workItems[7].outputs.at(0)),
              fmt::format("^OBJS = P\"{}/s7.o\"", out.string()));
    ASSERT_EQ(built.jobs.size(), 4u);
    EXPECT_EQ(built.recipes.at(1).command,
              fmt::format(R"("/tc/bin/gcc" -fno-common -c -MD "{0}/s2.c" "{0}/s3.c")",
                          temp.path().string()));
    EXPECT_EQ(built.outputs.at(3).getString("objs"),
              fmt::format("{0}/s6.o {0}/s7.o", out.string()));
    EXPECT_FALSE(built.outputs.at(3).hasVariable("binary"));
    // G++ compiles the C++ sources as well.
    const DrivenBuild both = build(gpp, {var("C_FLAGS", str("-c")), var("C_FILES", str("a.c")),
                                         var("CPP_FILES", str("b.cpp"))});
    EXPECT_EQ(commands(both), "\"/tc/bin/g++\" -c -MD \"a.c\" \"b.cpp\"\n");
}

TEST_F(GnuCompilerTest, SameNamedSourcesEachGetTheirOwnObjectFile) {
    const std::string t = temp.path().string();
    const DrivenBuild built =
        build(gcc, {var("C_FLAGS", str("-c")), var("INCLUDE", str("inc")), var("LIB", str("-lm")),
                    var("C_FILES", list({t + "/src/a.c", t + "/lib/a.c", t + "/src/b.c"}, true))});
    EXPECT_EQ(commands(built),
              fmt::format("\"/tc/bin/gcc\" -c -MD \"{0}/src/b.c\" -I\"inc\"\n"
                          "\"/tc/bin/gcc\" -c -MD \"{0}/src/a.c\" -I\"inc\" -o \"{1}/src/a.o\"\n"
                          "\"/tc/bin/gcc\" -c -MD \"{0}/lib/a.c\" -I\"inc\" -o \"{1}/lib/a.o\"\n",
                          t, out.string()));
    EXPECT_TRUE(fs::is_directory(out / "src") && fs::is_directory(out / "lib"));
    EXPECT_EQ(built.outputs.at(0).getString("objs"),
              fmt::format("{0}/src/a.o {0}/lib/a.o {0}/b.o", out.string()));
}

TEST_F(GnuCompilerTest, ParameterisedTargetsKeepTheirNameInTheirOwnDirectory) {
    const DrivenBuild built = build(gcc, {var("C_FILES", str("a.c"))}, 1, "n=1");
    const std::string hash = built.jobs.at(0)->parameterHash();
    ASSERT_FALSE(hash.empty());
    const fs::path directory = out.string() + "@" + hash;
    EXPECT_EQ(built.recipes.at(0).workingDirectory, directory);
    EXPECT_EQ(built.recipes.at(0).command,
              R"(: > "app.d" && SUNPRO_DEPENDENCIES="app.d" "/tc/bin/gcc" "a.c" -o "app")");
    EXPECT_EQ(written(built.plan.workItems[0].outputs[0]),
              fmt::format("^BINARY = P\"{}/app\"", directory.string()));
    EXPECT_EQ(fullPathOf(built.outputs.at(0), "binary"), (directory / "app").string());
}

TEST_F(GnuCompilerTest, CommandsCompileWithTheRealCompilerWhateverTheNames) {
    if (!fs::exists("/usr/bin/gcc")) GTEST_SKIP() << "no /usr/bin/gcc";
    GNU_GCC real{gnuGccTables(), toolchainIn("/usr/bin"), "/usr/bin/gcc"};
    const fs::path weird = temp.path() / "a b\"c$d`e";
    temp.write("a b\"c$d`e/inc dir/$x.h", "#define TEXT \"hello\"\n");
    temp.write("a b\"c$d`e/src/`main`.c",
               "#include <stdio.h>\n#include \"$x.h\"\nint part(void);\n"
               "int main(void) { printf(\"%s %d\\n\", TEXT, part()); return 0; }\n");
    temp.write("a b\"c$d`e/src/part.c", "int part(void) { return 1; }\n");
    temp.write("a b\"c$d`e/lib/part.c", "int other(void) { return 2; }\n");
    const std::vector<std::string> sources = {(weird / "src/`main`.c").string(),
                                              (weird / "src/part.c").string()};
    auto target = makeTarget({var("PROJECT_ROOT", makePathString(weird.string(), {})),
                              var("C_FILES", list(sources, true)),
                              var("INCLUDE", list({(weird / "inc dir").string()}, true)),
                              var("OUTPUT_NAME", str("bin/$(id) `x`"))});
    const DrivenBuild linked = driveBuild(real, *target);
    for (const Recipe& recipe : linked.recipes) {
        const ProcessResult result = runRecipe(recipe);
        ASSERT_EQ(result.exitCode, 0) << recipe.command << "\n" << result.err;
    }
    const std::string program = fullPathOf(linked.outputs.at(0), "binary");
    const ProcessResult ran = runProcess({program});
    EXPECT_EQ(ran.out, "hello 1\n");
    // Compile-only in two jobs, with two sources named part.c.
    auto compiling = makeTarget(
        {var("PROJECT_ROOT", makePathString(weird.string(), {})), var("C_FLAGS", str("-c")),
         var("C_FILES", list({sources[0], sources[1], (weird / "lib/part.c").string()}, true)),
         var("INCLUDE", list({(weird / "inc dir").string()}, true))},
        "objects");
    const DrivenBuild compiled = driveBuild(real, *compiling, 2);
    for (const Recipe& recipe : compiled.recipes) {
        const ProcessResult result = runRecipe(recipe);
        ASSERT_EQ(result.exitCode, 0) << recipe.command << "\n" << result.err;
    }
    for (const WorkItem& item : compiled.plan.workItems) {
        EXPECT_TRUE(fs::is_regular_file(item.outputs.at(0).value->toString()))
            << item.outputs.at(0).value->toString();
    }
}

}  // namespace
}  // namespace Rilk
