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

std::string names(const std::vector<Assignment>& assignments) {
    std::string text;
    for (const Assignment& a : assignments) text += (text.empty() ? "" : " ") + a.name;
    return text;
}

fs::path fullPath(const RilkValuePtr& value) {
    return dynamic_cast<const RilkPathString&>(*value).fullPath();
}

/// The words of a command without escapes: blanks split, double quotes group.
std::vector<std::string> words(const std::string& command) {
    std::vector<std::string> split(1);
    bool quoted = false;
    for (char c : command) {
        if (c == '"') quoted = !quoted;
        if (c == ' ' && !quoted && !split.back().empty()) split.emplace_back();
        if (c != '"' && (c != ' ' || quoted)) split.back() += c;
    }
    return split;
}

/// A project with C3 sources, built with the stand-in at version 0.6.8.
class C3BuilderTest : public ::testing::Test {
protected:
    C3BuilderTest() { verbosity = 6; }
    ~C3BuilderTest() override { verbosity = savedVerbosity; }

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

    /// Plans the target and runs it as one job against the stand-in, as the driver does.
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

    std::string expand(const std::string& text, const std::string& hash = "") const {
        return fmt::format(fmt::runtime(text), fmt::arg("c3c", compiler.string()),
                           fmt::arg("main", main.string()), fmt::arg("test", test.string()),
                           fmt::arg("hash", hash));
    }

    const int savedVerbosity = verbosity;
    RilkTest::TempDir temp;
    const fs::path project = temp.path() / "project";
    const fs::path log = temp.path() / "c3c.log";
    const fs::path main = temp.write("project/src/main.c3", "");
    const fs::path test = temp.write("project/test/t.c3", "");
    const fs::path outputs = project / "out/c3c-0.6.8/main";
    const RilkValuePtr sources = RilkTest::pathList({main});
    const fs::path compiler = RilkTest::writeFakeC3c(temp.path() / "c3/bin/c3c", "c3c 0.6.8");
    C3Builder builder{"0.6.8", compiler, compiler.parent_path()};
};

TEST_F(C3BuilderTest, EachOutputKindGivesItsArgumentListAndOutputs) {
    const RilkValuePtr none;
    // variables; command after the compiler; work item inputs | plan context | declared output
    const std::tuple<std::vector<TestVariable>, const char*, const char*> cases[] = {
        {{{"C3_FILES", sources}, {"OUTPUT_NAME", makeString("app")}, {"LIB", makeString("m")}},
         R"( -o "app" -l m compile "{main}")",
         "C3_FILES LIB | PROJECT_ROOT OUTPUT_NAME OUTPUT_DEF_DIR RILK_TOOL_PROGRAM | EXE"},
        {{{"C3_FILES", sources},
          {"STATIC", none},
          {"C3C_FLAGS", makeString("-O2 -g")},
          {"LIB_PATH", RilkTest::pathList({"libs", "more libs"})}},
         R"( -O2 -g -o "app" -L "libs" -L "more libs" static-lib "{main}")",
         "C3_FILES C3C_FLAGS LIB_PATH | STATIC PROJECT_ROOT OUTPUT_DEF_DIR RILK_TOOL_PROGRAM | "
         "LIB"},
        {{{"C3_FILES", sources},
          {"DLL", makeString("")},
          {"LIBPATH", makeString("x")},
          {"LINK_FLAGS", makeString("now")}},
         R"( -o "app" -L "x" -z "now" dynamic-lib "{main}")",
         "C3_FILES LIBPATH LINK_FLAGS | DLL PROJECT_ROOT OUTPUT_DEF_DIR RILK_TOOL_PROGRAM | DLL"},
        {{{"C3C_FILES", sources}, {"SO", none}, {"LIB", RilkTest::pathList({"m", "z"})}},
         R"( -o "app" -l m -l z dynamic-lib "{main}")",
         "C3C_FILES LIB | SO PROJECT_ROOT OUTPUT_DEF_DIR RILK_TOOL_PROGRAM | SO"},
        {{{"C3_FILES", sources}, {"EXE", none}, {"C3_TEST_FILES", RilkTest::pathList({test})}},
         R"( -o "app" compile-test "{main}" "{test}")",
         "C3_FILES C3_TEST_FILES | EXE PROJECT_ROOT OUTPUT_DEF_DIR RILK_TOOL_PROGRAM | EXE"},
    };
    for (const auto& [variables, command, plan] : cases) {
        auto job = target(variables);
        const Built built = build(*job, builder);
        ASSERT_EQ(built.recipes.size(), 1U) << command;
        const Recipe& recipe = built.recipes[0];
        EXPECT_EQ(recipe.command, expand(std::string("\"{c3c}\"") + command));
        EXPECT_EQ(recipe.workingDirectory, outputs / "app") << command;
        EXPECT_EQ(recipe.pathDirectories, std::vector<fs::path>{compiler.parent_path()});
        ASSERT_EQ(built.run.exitCode, 0) << command << built.run.err;
        ASSERT_EQ(built.calls.size(), 1U) << command;
        EXPECT_EQ(built.calls[0].arguments, words(expand(command).substr(1)));
        EXPECT_EQ(built.calls[0].workingDirectory, fs::canonical(outputs / "app").string());

        const WorkItem& item = built.plan.workItems.at(0);
        std::vector<Assignment> inputs;
        for (const WorkItemEntry& entry : item.inputs) inputs.push_back(entry.input);
        std::vector<Assignment> collected;
        for (const auto& [name, assignment] : built.outputs.assignments) {
            collected.push_back(assignment);
        }
        const std::string declared = item.outputs.at(2).name;
        EXPECT_EQ(names(inputs) + " | " + names(built.plan.context) + " | " + declared, plan);
        EXPECT_EQ(names(item.outputs), "BINARY BINARY_NAME " + declared + " " + declared + "_NAME");
        EXPECT_TRUE(Util::CiString::equal(names(collected), names(item.outputs))) << command;
        for (const auto& pair : {item.outputs[0], item.outputs[2], collected[0], collected[2]}) {
            EXPECT_EQ(fullPath(pair.value), outputs / "app/app") << command << pair.name;
        }
        EXPECT_TRUE(fs::exists(outputs / "app/app")) << command;
    }
}

TEST_F(C3BuilderTest, ForbiddenSelectorCombinationsFailPlanningAndCommandLines) {
    const std::string conflicting =
        "C3C received conflicting output selectors. Only one of EXE, STATIC, DLL, SO can be "
        "present.";
    const std::string testing = "C3C compile-test cannot be combined with STATIC, DLL, or SO.";
    const std::pair<std::vector<TestVariable>, std::string> cases[] = {
        {{{"STATIC", makeString("")}, {"SO", nullptr}}, conflicting},
        {{{"EXE", nullptr}, {"DLL", nullptr}}, conflicting},
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
    // OUTPUT_NAME ("-": absent, null: no value), parameters, file below the outputs, name
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
        const Built built = build(*job, builder);
        ASSERT_EQ(built.run.exitCode, 0) << file << built.run.err;
        EXPECT_TRUE(fs::is_regular_file(outputs / relative)) << file;
        EXPECT_EQ(built.recipes.at(0).workingDirectory, outputs / *relative.begin()) << file;
        const std::vector<Assignment>& planned = built.plan.workItems.at(0).outputs;
        EXPECT_EQ(fullPath(planned.at(0).value), outputs / relative) << file;
        EXPECT_EQ(planned.at(1).value->toString(), name) << file;
        EXPECT_EQ(fullPath(built.outputs.getVariable("exe")), outputs / relative) << file;
        EXPECT_EQ(built.outputs.getString("exe_name"), name) << file;
    }
}

TEST_F(C3BuilderTest, NoShellCharacterOfANameIsInterpreted) {
    const fs::path marker = temp.path() / "injected";
    const std::string odd = "a \"b\" $HOME `touch " + marker.string() + "` \\z";
    const fs::path oddCompiler = RilkTest::writeFakeC3c(temp.path() / odd / "c3c", "c3c 0.6.8");
    C3Builder oddBuilder("0.6.8", oddCompiler, oddCompiler.parent_path());
    const fs::path source = temp.write("project/" + odd + "/m.c3", "");
    const fs::path quotedFile = temp.write("project/\"q.c3\"", "");
    auto job = target({{"C3_FILES", RilkTest::pathList({source, quotedFile})},
                       {"OUTPUT_NAME", makeString("o\"u$t`x`")},
                       // A string the user wrote in quotes is taken as written.
                       {"LIB_PATH", std::make_shared<RilkRawString>("\"pre quoted\"")}});
    const Built built = build(*job, oddBuilder);
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
        {{{"C3_TEST_FILES", nullptr}}, BuildPossible, ""},
        {{{"EXE", nullptr}}, BuildImpossible, ""},
        {{{"^C3_FILES", sources}}, BuildImpossible, "C3_FILES"},
        {{{"^C3_FILES", sources}, {"C3C_FILES", sources}}, BuildPossible, "C3_FILES"},
    };
    for (const auto& [variables, status, skipped] : cases) {
        ::testing::internal::CaptureStdout();
        const MatchResult result = builder.selectMatchSubject(*RilkTest::makeC3Target(variables));
        const std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.status, status) << skipped;
        EXPECT_EQ(result.variables.size(), variables.size());
        EXPECT_EQ(printed,
                  *skipped
                      ? fmt::format("Skipping '{}' as match subject: output variable\n", skipped)
                      : "");
    }
}

TEST_F(C3BuilderTest, TheStandInRefusesMalformedCommandLines) {
    // The acceptance of the tests above means something only if these fail.
    const std::string m = main.string();
    // arguments, FAKE_C3C_STATUS, exit status
    const std::tuple<std::vector<std::string>, const char*, int> cases[] = {
        {{"-o", "x", "compile", m}, "0", 0},
        {{"-o", "x", "compile", m}, "3", 3},
        {{"compile", "-o", "x", m}, "0", 1},
        {{"-o", "x", "compile"}, "0", 1},
        {{"-o", "x", "compile", m + ".missing"}, "0", 1},
        {{"-o", "x", "compile", "static-lib", m}, "0", 1},
        {{"-o", "x", "lib", "compile", m}, "0", 1},
        {{"compile", m}, "0", 1},
    };
    for (auto [arguments, setStatus, status] : cases) {
        arguments.insert(arguments.begin(), compiler.string());
        const auto run =
            RilkTest::runProcess(arguments, {temp.path(), {{"FAKE_C3C_STATUS", setStatus}}});
        EXPECT_EQ(run.exitCode, status) << arguments[1] << " " << arguments[2];
    }
}

}  // namespace
}  // namespace Rilk
