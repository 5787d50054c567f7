#include "tools/c3/c3_builder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/c3/c3_test_support.h"
#include "tools/c3/fake_c3c.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using RilkTest::TestVariable;

/// The names of assignments joined by blanks.
std::string names(const std::vector<Assignment>& assignments) {
    std::string text;
    for (const Assignment& a : assignments) text += (text.empty() ? "" : " ") + a.name;
    return text;
}

/// The full path of a path string value.
fs::path fullPath(const RilkValuePtr& value) {
    return dynamic_cast<const RilkPathString&>(*value).fullPath();
}

/// A project with two C3 sources and a test file, built with the stand-in at version 0.6.8.
class C3BuilderTest : public ::testing::Test {
protected:
    C3BuilderTest() { verbosity = 6; }
    ~C3BuilderTest() override { verbosity = savedVerbosity; }

    /// What one target's build left: the plan, the recipes, the compiler's run and what it
    /// recorded, and the job's outputs.
    struct Built {
        BuildPlan plan;
        std::vector<Recipe> recipes;
        RilkTest::ProcessResult run;
        std::vector<RilkTest::FakeC3cCall> calls;
        Context outputs;
    };

    std::shared_ptr<TargetContext> target(std::vector<TestVariable> variables,
                                          const std::string& parameters = "") const {
        variables.emplace_back("PROJECT_ROOT", makeString(project.string()));
        variables.emplace_back("OUTPUT_DEF_DIR", makeString("out"));
        return RilkTest::makeC3Target(variables, parameters);
    }

    /// Plans the target and runs it as one job, as the driver does.
    Built build(TargetContext& job) { return build(job, builder); }
    Built build(TargetContext& job, C3Builder& tool) {
        fs::remove(log);
        Built built;
        built.plan = tool.planBuild(job);
        tool.beginBuild(job, 1);
        built.recipes = tool.createRecipes(job);
        for (const Recipe& recipe : built.recipes) built.run = RilkTest::runRecipe(recipe, log);
        built.calls = RilkTest::readFakeC3cLog(log);
        built.outputs = tool.collectOutputs(job, built.run.exitCode);
        tool.endBuild();
        return built;
    }

    /// The text with {c3c}, {main}, {util}, {test} and {hash} replaced.
    std::string expand(const std::string& text, const std::string& hash = "") const {
        return fmt::format(fmt::runtime(text), fmt::arg("c3c", compiler.string()),
                           fmt::arg("main", main.string()), fmt::arg("util", util.string()),
                           fmt::arg("test", test.string()), fmt::arg("hash", hash));
    }

    const int savedVerbosity = verbosity;
    RilkTest::TempDir temp;
    const fs::path project = temp.path() / "project";
    const fs::path log = temp.path() / "c3c.log";
    const fs::path main = temp.write("project/src/main.c3", "");
    const fs::path util = temp.write("project/src/util.c3", "");
    const fs::path test = temp.write("project/test/t.c3", "");
    const fs::path outputs = project / "out/c3c-0.6.8/main";
    const RilkValuePtr sources = RilkTest::pathList({main, util});
    const fs::path compiler = RilkTest::writeFakeC3c(temp.path() / "c3/bin/c3c", "c3c 0.6.8");
    C3Builder builder{"0.6.8", compiler, compiler.parent_path()};
};

TEST_F(C3BuilderTest, EachOutputKindGivesItsArgumentListAndOutputs) {
    struct Case {
        std::vector<TestVariable> variables;
        const char* command;  // after the quoted compiler
        std::vector<std::string> arguments;
        const char* plan;  // inputs ; context ; outputs
        const char* collected;
    };
    const RilkValuePtr none;
    const Case cases[] = {
        {{{"C3_FILES", sources}, {"OUTPUT_NAME", makeString("app")}, {"LIB", makeString("m")}},
         R"( -o "app" -l m compile "{main}" "{util}")",
         {"-o", "app", "-l", "m", "compile", "{main}", "{util}"},
         "C3_FILES LIB ; PROJECT_ROOT OUTPUT_NAME OUTPUT_DEF_DIR ; BINARY BINARY_NAME EXE EXE_NAME",
         "binary binary_name exe exe_name"},
        {{{"C3_FILES", sources},
          {"STATIC", none},
          {"C3C_FLAGS", makeString("-O2 -g")},
          {"LIB_PATH", RilkTest::pathList({"libs", "more libs"})}},
         R"( -O2 -g -o "app" -L "libs" -L "more libs" static-lib "{main}" "{util}")",
         {"-O2", "-g", "-o", "app", "-L", "libs", "-L", "more libs", "static-lib", "{main}",
          "{util}"},
         "C3_FILES C3C_FLAGS LIB_PATH ; STATIC PROJECT_ROOT OUTPUT_DEF_DIR ; BINARY BINARY_NAME "
         "LIB LIB_NAME",
         "binary binary_name lib lib_name"},
        {{{"C3_FILES", sources},
          {"DLL", makeString("")},
          {"LIBPATH", makeString("x")},
          {"LINK_FLAGS", makeString("now")}},
         R"( -o "app" -L "x" -z "now" dynamic-lib "{main}" "{util}")",
         {"-o", "app", "-L", "x", "-z", "now", "dynamic-lib", "{main}", "{util}"},
         "C3_FILES LIBPATH LINK_FLAGS ; DLL PROJECT_ROOT OUTPUT_DEF_DIR ; BINARY BINARY_NAME DLL "
         "DLL_NAME",
         "binary binary_name dll dll_name"},
        {{{"C3C_FILES", sources}, {"SO", none}, {"LIB", RilkTest::pathList({"m", "z"})}},
         R"( -o "app" -l m -l z dynamic-lib "{main}" "{util}")",
         {"-o", "app", "-l", "m", "-l", "z", "dynamic-lib", "{main}", "{util}"},
         "C3C_FILES LIB ; SO PROJECT_ROOT OUTPUT_DEF_DIR ; BINARY BINARY_NAME SO SO_NAME",
         "binary binary_name so so_name"},
        {{{"C3_FILES", sources}, {"EXE", none}, {"C3_TEST_FILES", RilkTest::pathList({test})}},
         R"( -o "app" compile-test "{main}" "{util}" "{test}")",
         {"-o", "app", "compile-test", "{main}", "{util}", "{test}"},
         "C3_FILES C3_TEST_FILES ; EXE PROJECT_ROOT OUTPUT_DEF_DIR ; BINARY BINARY_NAME EXE "
         "EXE_NAME",
         "binary binary_name exe exe_name"},
    };
    for (const Case& c : cases) {
        auto job = target(c.variables);
        const Built built = build(*job);
        const std::string label = c.command;
        ASSERT_EQ(built.recipes.size(), 1U) << label;
        const Recipe& recipe = built.recipes[0];
        EXPECT_EQ(recipe.command, expand("\"{c3c}\"" + label)) << label;
        EXPECT_EQ(recipe.workingDirectory, outputs / "app") << label;
        EXPECT_EQ(recipe.pathDirectories, std::vector<fs::path>{compiler.parent_path()});
        ASSERT_EQ(built.run.exitCode, 0) << label << built.run.err;
        ASSERT_EQ(built.calls.size(), 1U) << label;
        std::vector<std::string> expected;
        for (const std::string& argument : c.arguments) expected.push_back(expand(argument));
        EXPECT_EQ(built.calls[0].arguments, expected) << label;
        EXPECT_EQ(built.calls[0].workingDirectory, fs::canonical(outputs / "app").string());
        EXPECT_EQ(built.calls[0].path.rfind(compiler.parent_path().string() + ":", 0), 0U);

        ASSERT_EQ(built.plan.recipes.size(), 1U) << label;
        const WorkItem& item = built.plan.recipes[0];
        std::vector<Assignment> inputs;
        for (const WorkItemEntry& entry : item.inputs) inputs.push_back(entry.input);
        EXPECT_EQ(names(inputs) + " ; " + names(built.plan.context) + " ; " + names(item.outputs),
                  c.plan);
        EXPECT_EQ(fullPath(item.outputs[2].value), outputs / "app/app") << label;
        EXPECT_TRUE(fs::exists(fullPath(item.outputs[2].value))) << label;
        std::vector<Assignment> collected;
        for (const auto& [name, assignment] : built.outputs.assignments) {
            collected.push_back(assignment);
        }
        EXPECT_EQ(names(collected), c.collected) << label;
        EXPECT_EQ(fullPath(built.outputs.getVariable("binary")), outputs / "app/app") << label;
    }
}

TEST_F(C3BuilderTest, ForbiddenSelectorCombinationsFailPlanningAndCommandLines) {
    const char* const conflicting =
        "C3C received conflicting output selectors. Only one of EXE, STATIC, DLL, SO can be "
        "present.";
    const char* const testing = "C3C compile-test cannot be combined with STATIC, DLL, or SO.";
    const std::pair<std::vector<TestVariable>, const char*> cases[] = {
        {{{"STATIC", makeString("")}, {"SO", nullptr}}, conflicting},
        {{{"EXE", nullptr}, {"DLL", nullptr}}, conflicting},
        {{{"C3_TEST_FILES", sources}, {"STATIC", nullptr}}, testing},
        {{{"C3_TEST_FILES", sources}, {"SO", nullptr}}, testing},
    };
    for (const auto& [variables, message] : cases) {
        auto job = target(variables);
        for (int step = 0; step < 2; ++step) {
            try {
                step == 0 ? (void)builder.planBuild(*job) : (void)builder.createRecipes(*job);
                ADD_FAILURE() << message << " not raised in step " << step;
            } catch (const RilkException& error) {
                EXPECT_EQ(error.message(), message);
            }
        }
    }
}

TEST_F(C3BuilderTest, PlanCommandAndOutputsNameTheFileTheCompilerWrites) {
    // OUTPUT_NAME (absent when "-", declared without value when null), parameters, the file
    // below the target's output directory and its name.
    const std::tuple<const char*, RilkValuePtr, const char*, const char*, const char*> cases[] = {
        {"-", nullptr, "", "app/app", "app"},
        {"OUTPUT_NAME", makeString(""), "", "app/app", "app"},
        {"OUTPUT_NAME", nullptr, "", "app/app", "app"},
        {"OUTPUT_NAME", makeString("bin/tool"), "", "app/bin/tool", "tool"},
        {"-", nullptr, "n=1", "app@{hash}/app", "app"},
    };
    for (const auto& [variable, value, parameters, file, name] : cases) {
        auto job = target({{"C3_FILES", sources}, {variable, value}}, parameters);
        const fs::path relative = expand(file, job->parameterHash());
        const fs::path expected = outputs / relative;
        const Built built = build(*job);
        ASSERT_EQ(built.run.exitCode, 0) << file << built.run.err;
        EXPECT_TRUE(fs::is_regular_file(expected)) << file;
        const std::vector<Assignment>& planned = built.plan.recipes.at(0).outputs;
        EXPECT_EQ(fullPath(planned.at(0).value), expected) << file;
        EXPECT_EQ(planned.at(1).value->toString(), name) << file;
        EXPECT_EQ(fullPath(built.outputs.getVariable("exe")), expected) << file;
        EXPECT_EQ(built.outputs.getString("exe_name"), name) << file;
        EXPECT_EQ(built.recipes.at(0).workingDirectory, outputs / *relative.begin()) << file;
    }
}

TEST_F(C3BuilderTest, NoShellCharacterOfANameIsInterpreted) {
    const fs::path marker = temp.path() / "injected";
    const std::string odd = "a \"b\" $HOME `touch " + marker.string() + "` \\z";
    const fs::path oddCompiler = RilkTest::writeFakeC3c(temp.path() / odd / "c3c", "c3c 0.6.8");
    C3Builder odder("0.6.8", oddCompiler, oddCompiler.parent_path());
    const fs::path source = temp.write("project/" + odd + "/m.c3", "");
    const fs::path quotedFile = temp.write("project/\"q.c3\"", "");
    auto job = target({{"C3_FILES", RilkTest::pathList({source, quotedFile})},
                       {"OUTPUT_NAME", makeString("o\"u$t`x`")},
                       // A string the user wrote in quotes stays one word, as written.
                       {"LIB_PATH", std::make_shared<RilkRawString>("\"pre quoted\"")}});
    const Built built = build(*job, odder);
    ASSERT_EQ(built.run.exitCode, 0) << built.run.err;
    ASSERT_EQ(built.calls.size(), 1U);
    const std::vector<std::string> expected = {
        "-o", "o\"u$t`x`", "-L", "pre quoted", "compile", source.string(), quotedFile.string()};
    EXPECT_EQ(built.calls[0].arguments, expected);
    EXPECT_TRUE(fs::exists(outputs / "app/o\"u$t`x`"));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(C3BuilderTest, SourceVariablesAreMatchSubjectsUnlessOutputVariables) {
    verbosity = 4;
    const std::tuple<std::vector<TestVariable>, MatchStatus, const char*> cases[] = {
        {{{"C3_FILES", sources}}, BuildPossible, ""},
        {{{"C3_TEST_FILES", nullptr}}, BuildPossible, ""},
        {{{"EXE", nullptr}}, BuildImpossible, ""},
        {{{"^C3_FILES", sources}}, BuildImpossible, "C3_FILES"},
        {{{"^C3_FILES", sources}, {"C3C_FILES", sources}}, BuildPossible, "C3_FILES"},
    };
    for (const auto& [variables, status, skipped] : cases) {
        auto job = RilkTest::makeC3Target(variables);
        ::testing::internal::CaptureStdout();
        const MatchResult result = builder.selectMatchSubject(*job);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.status, status) << skipped;
        EXPECT_EQ(result.variables.size(), variables.size());
        EXPECT_EQ(printed, *skipped ? fmt::format("Skipping '{}' as match subject: output "
                                                  "variable\n",
                                                  skipped)
                                    : "");
    }
}

TEST_F(C3BuilderTest, AnEmptyBinDirectoryAddsNothingToPath) {
    C3Builder bare("0.6.8", "c3c", "");
    auto job = target({{"C3_FILES", sources}});
    bare.beginBuild(*job, 1);
    EXPECT_TRUE(bare.createRecipes(*job).at(0).pathDirectories.empty());
    EXPECT_EQ(bare.name(), "c3c");
}

}  // namespace
}  // namespace Rilk
