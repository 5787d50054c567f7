#include "tools/c_builder.h"

#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/rilk_errors.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

/// A compiler-like test tool: one work item per C source; a job's command lines compile
/// each of its sources to the object the base names for it, or link when it has none.
class TestCompiler : public CBuilder {
public:
    TestCompiler()
        : CBuilder(makeAssignmentTable({"C_FILES"}),
                   makeVariableSpecTable({"C_FILES", "C_FLAGS"})) {}

    Context collectOutputs(const Context&, int) override {
        Context outputs;
        addOutputPairToContext(outputs, "BINARY", "BINARY_NAME", outputDirectory, outputName);
        return outputs;
    }

    using CBuilder::addInput;
    using CBuilder::addOutputPair;
    using CBuilder::appendContextAssignment;
    using CBuilder::fileNameText;
    using CBuilder::jobCount;
    using CBuilder::outputDirectory;
    using CBuilder::outputDirectoryFor;
    using CBuilder::outputName;
    using CBuilder::targetName;

    std::int64_t cap = 1;
    int begun = 0;
    int ended = 0;

protected:
    PlannedWork doCreateRecipes(const TargetContext& target) const override {
        PlannedWork planned;
        const std::string hash = target.parameterHash();
        const fs::path directory = outputDirectoryFor(target, target.name, target.name.target,
                                                      hash.empty() ? "" : "@" + hash);
        addCompileRecipes(target.assignments, "C_FILES", directory, planned.recipes);
        appendContextAssignment(target.assignments, "C_FLAGS", planned.context);
        return planned;
    }
    std::int64_t maxParallelJobs(const TargetContext&, const PlannedWork&) const override {
        return cap;
    }
    void onBeginBuild(Context&) override { ++begun; }
    void onEndBuild() override { ++ended; }
    std::vector<std::string> createCommandLines(const std::string& target,
                                                const Context& job) const override {
        auto sources = job.assignments.find("C_FILES");
        if (sources == job.assignments.end()) return {"link " + target};
        std::vector<std::string> lines;
        for (const auto& [source, object] : objectFiles(sources->second.value, outputDirectory)) {
            lines.push_back("cc -c " + source->toString() + " -o " + object->toString());
        }
        return lines;
    }
    std::string toolId(const Context&) const override { return "x86_64-linux-gnu"; }
    std::string objectExtension() const override { return ".o"; }
    std::vector<RilkValuePtr> compiledSources(const Context& target) const override {
        if (!target.hasVariable("C_FILES")) return {};
        return {target.getVariable("C_FILES")};
    }
};

using Variables = std::vector<std::pair<std::string, RilkValuePtr>>;

std::shared_ptr<TargetContext> makeTarget(const Variables& variables,
                                          const QualifiedTargetName& name = {"", "main", "app"},
                                          const std::string& parameterText = "") {
    Context context;
    for (const auto& [variable, value] : variables) {
        AssignType type = value ? AssignType::Set : AssignType::Declare;
        context.addAssignment(Assignment(variable, value, type, AssignModifier::None), 0);
    }
    auto target = std::make_shared<TargetContext>(context, name);
    target->parameterText = parameterText;
    return target;
}

RilkValuePtr text(const std::string& value) { return makeString(value); }

RilkValuePtr paths(const std::vector<fs::path>& files) {
    std::vector<RilkValuePtr> elements;
    for (const fs::path& file : files) elements.push_back(makePathString(file.string(), ""));
    return std::make_shared<RilkList>(std::move(elements));
}

class CBuilderTest : public ::testing::Test {
protected:
    CBuilderTest() : savedVerbosity(verbosity) { verbosity = 6; }
    ~CBuilderTest() override { verbosity = savedVerbosity; }

    fs::path root() const { return temp.path() / "project"; }
    fs::path objectDirectory() const { return root() / "out/x86_64-linux-gnu/main/app"; }

    int savedVerbosity;
    RilkTest::TempDir temp;
    TestCompiler builder;
};

struct OutputDirectoryCase {
    const char* label;
    const char* outputDefDir;  // "{tmp}" stands for the temporary directory
    const char* profile;
    const char* ns;
    const char* parameters;
    const char* expected;  // "{tmp}" as above, "{hash}" for the parameter hash
};

void PrintTo(const OutputDirectoryCase& c, std::ostream* os) { *os << c.label; }

std::string expand(std::string pattern, const std::string& tmp, const std::string& hash) {
    for (auto [key, value] : {std::pair{"{tmp}", tmp}, std::pair{"{hash}", hash}}) {
        for (auto at = pattern.find(key); at != std::string::npos; at = pattern.find(key)) {
            pattern.replace(at, std::string(key).size(), value);
        }
    }
    return pattern;
}

class OutputDirectoryTest : public ::testing::TestWithParam<OutputDirectoryCase> {};

TEST_P(OutputDirectoryTest, BeginBuildCreatesTheOutputDirectory) {
    const OutputDirectoryCase& c = GetParam();
    RilkTest::TempDir temp;
    const std::string tmp = temp.path().string();
    auto target = makeTarget({{"PROJECT_ROOT", text(tmp + "/project")},
                              {"OUTPUT_DEF_DIR", text(expand(c.outputDefDir, tmp, ""))},
                              {"PROFILE", text(c.profile)}},
                             {c.ns, "main", "app"}, c.parameters);
    TestCompiler builder;
    ::testing::internal::CaptureStdout();
    builder.beginBuild(*target, 1);
    ::testing::internal::GetCapturedStdout();
    const fs::path expected = expand(c.expected, tmp, target->parameterHash());
    EXPECT_EQ(builder.outputDirectory, expected);
    EXPECT_TRUE(fs::is_directory(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputDirectoryTest,
    ::testing::Values(OutputDirectoryCase{"plain", "out", "", "", "",
                                          "{tmp}/project/out/x86_64-linux-gnu/main/app"},
                      OutputDirectoryCase{"profile and namespace", "out", "debug", "lib", "",
                                          "{tmp}/project/out/x86_64-linux-gnu/debug/lib/main/app"},
                      OutputDirectoryCase{"no default directory", "", "", "", "",
                                          "{tmp}/project/x86_64-linux-gnu/main/app"},
                      OutputDirectoryCase{"absolute default directory replaces the root",
                                          "{tmp}/build", "", "", "",
                                          "{tmp}/build/x86_64-linux-gnu/main/app"},
                      OutputDirectoryCase{"parameters", "out", "", "", "n=1",
                                          "{tmp}/project/out/x86_64-linux-gnu/main/app@{hash}"}));

TEST_F(CBuilderTest, OutputDirVariableIsTakenAsWritten) {
    auto target =
        makeTarget({{"PROJECT_ROOT", text(root().string())}, {"OUTPUT_DIR", text("out")}});
    EXPECT_EQ(builder.outputDirectoryFor(*target, target->name, "app", ""), fs::path("out"));
}

TEST_F(CBuilderTest, TwoParameterisationsGetTwoDirectories) {
    auto one = makeTarget({{"PROJECT_ROOT", text(root().string())}}, {"", "main", "app"}, "n=1");
    auto two = makeTarget({{"PROJECT_ROOT", text(root().string())}}, {"", "main", "app"}, "n=2");
    builder.beginBuild(*one, 1);
    const fs::path first = builder.outputDirectory;
    builder.beginBuild(*two, 1);
    EXPECT_NE(builder.outputDirectory, first);
    EXPECT_EQ(first.filename().string(), "app@" + one->parameterHash());
}

TEST_F(CBuilderTest, BeginBuildSetsNamesAndJobCountThenEndBuildResets) {
    auto target = makeTarget({{"PROJECT_ROOT", text(root().string())}});
    verbosity = 5;
    ::testing::internal::CaptureStdout();
    builder.beginBuild(*target, 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Output dir: " + (root() / "x86_64-linux-gnu/main/app").string() + "\n");
    EXPECT_EQ(builder.targetName, "app");
    EXPECT_EQ(builder.outputName, "app");
    EXPECT_EQ(builder.jobCount, 4U);
    EXPECT_EQ(builder.begun, 1);
    builder.endBuild();
    EXPECT_EQ(builder.jobCount, 1U);
    EXPECT_EQ(builder.ended, 1);
}

TEST_F(CBuilderTest, OutputNameComesFromOutputNameWhenItHasAValue) {
    auto named =
        makeTarget({{"PROJECT_ROOT", text(root().string())}, {"OUTPUT_NAME", text("prog")}});
    builder.beginBuild(*named, 1);
    EXPECT_EQ(builder.outputName, "prog");
    auto declared = makeTarget({{"PROJECT_ROOT", text(root().string())}, {"OUTPUT_NAME", nullptr}});
    builder.beginBuild(*declared, 1);
    EXPECT_EQ(builder.outputName, "app");
}

TEST_F(CBuilderTest, BeginBuildFailures) {
    Context plain;
    plain.addAssignment(
        Assignment("PROJECT_ROOT", text(root().string()), AssignType::Set, AssignModifier::None),
        0);
    EXPECT_THROW(builder.beginBuild(plain, 1), std::bad_cast);
    EXPECT_THROW(builder.beginBuild(*makeTarget({}), 1), NotFoundException);
    EXPECT_THROW(builder.beginBuild(*makeTarget({{"PROJECT_ROOT", nullptr}}), 1), RilkException);
    temp.write("project/x86_64-linux-gnu", "a file where a directory belongs");
    EXPECT_THROW(builder.beginBuild(*makeTarget({{"PROJECT_ROOT", text(root().string())}}), 1),
                 fs::filesystem_error);
    EXPECT_EQ(builder.begun, 0);
}

TEST_F(CBuilderTest, PlanBuildPlansOneWorkItemPerSourceAndRecordsTheContext) {
    const fs::path main = temp.write("project/src/main.c", "");
    const fs::path util = temp.write("project/src/util.c", "");
    auto target = makeTarget({{"PROJECT_ROOT", text(root().string())},
                              {"OUTPUT_DEF_DIR", text("out")},
                              {"output_name", nullptr},
                              {"C_FLAGS", text("-c")},
                              {"C_FILES", paths({main, util})}});
    builder.cap = -1;
    BuildPlan plan = builder.planBuild(*target);
    EXPECT_EQ(plan.maxParallelJobs, BuildPlan::kNoJobLimit);
    ASSERT_EQ(plan.recipes.size(), 2U);
    const WorkItem& first = plan.recipes[0];
    ASSERT_EQ(first.inputs.size(), 1U);
    EXPECT_EQ(first.inputs[0].input.toString(), "C_FILES = P\"" + main.string() + "\"");
    EXPECT_FALSE(first.inputs[0].hasIntermediate());
    EXPECT_FALSE(first.inputs[0].intermediateFlag);
    ASSERT_EQ(first.outputs.size(), 1U);
    EXPECT_EQ(first.outputs[0].name, "OBJS");
    EXPECT_EQ(first.outputs[0].modifier, AssignModifier::Up);
    EXPECT_EQ(first.outputs[0].value->toString(), (objectDirectory() / "main.o").string());
    EXPECT_EQ(plan.recipes[1].outputs[0].value->toString(),
              (objectDirectory() / "util.o").string());
    std::vector<std::string> context;
    for (const Assignment& a : plan.context) context.push_back(a.toString());
    EXPECT_EQ(context, (std::vector<std::string>{"C_FLAGS = \"-c\"",
                                                 "PROJECT_ROOT = \"" + root().string() + "\"",
                                                 "OUTPUT_NAME", "OUTPUT_DEF_DIR = \"out\""}));
    EXPECT_EQ(plan.context[2].type, AssignType::Declare);
}

TEST_F(CBuilderTest, PlannedValuesAreClonesOfTheTargetsValues) {
    auto target = makeTarget({{"PROJECT_ROOT", text(root().string())},
                              {"C_FLAGS", text("-O2")},
                              {"C_FILES", paths({"a.c"})}});
    BuildPlan plan = builder.planBuild(*target);
    const RilkValuePtr source =
        std::dynamic_pointer_cast<RilkList>(target->getVariable("C_FILES"))->elements().front();
    EXPECT_NE(plan.recipes[0].inputs[0].input.value, source);
    EXPECT_NE(plan.context[0].value, target->getVariable("C_FLAGS"));
}

TEST_F(CBuilderTest, SourcesWithOneFileNameGetDistinctObjects) {
    const fs::path srcA = temp.write("project/src/a.c", "");
    const fs::path libA = temp.write("project/lib/a.c", "");
    const fs::path srcB = temp.write("project/src/b.c", "");
    auto target = makeTarget({{"PROJECT_ROOT", text(root().string())},
                              {"OUTPUT_DEF_DIR", text("out")},
                              {"C_FILES", paths({srcA, libA, srcB})}});
    BuildPlan plan = builder.planBuild(*target);
    std::vector<std::string> objects;
    for (const WorkItem& item : plan.recipes) objects.push_back(item.outputs[0].value->toString());
    EXPECT_EQ(objects, (std::vector<std::string>{(objectDirectory() / "src/a.o").string(),
                                                 (objectDirectory() / "lib/a.o").string(),
                                                 (objectDirectory() / "b.o").string()}));
}

TEST_F(CBuilderTest, AJobWithPartOfTheSourcesNamesObjectsAsThePlanDid) {
    const fs::path srcA = temp.write("project/src/a.c", "");
    const fs::path libA = temp.write("project/lib/a.c", "");
    auto target = makeTarget({{"PROJECT_ROOT", text(root().string())},
                              {"OUTPUT_DEF_DIR", text("out")},
                              {"C_FILES", paths({srcA, libA})}});
    BuildPlan plan = builder.planBuild(*target);
    // The second job holds only lib/a.c, which alone would look unique.
    auto job = makeTarget({{"PROJECT_ROOT", text(root().string())},
                           {"OUTPUT_DEF_DIR", text("out")},
                           {"C_FILES", paths({libA})}});
    builder.beginBuild(*job, 2);
    std::vector<Recipe> recipes = builder.createRecipes(*job);
    ASSERT_EQ(recipes.size(), 1U);
    EXPECT_EQ(recipes[0].command,
              "cc -c " + libA.string() + " -o " + plan.recipes[1].outputs[0].value->toString());
    EXPECT_EQ(recipes[0].workingDirectory, objectDirectory());
    EXPECT_EQ(recipes[0].kind, Recipe::Run);
    EXPECT_TRUE(recipes[0].pathDirectories.empty());
    EXPECT_TRUE(fs::is_directory(objectDirectory() / "src"));
    EXPECT_TRUE(fs::is_directory(objectDirectory() / "lib"));
    builder.endBuild();
}

TEST_F(CBuilderTest, RecordedSourcesDoNotFollowIntoAnotherTarget) {
    const fs::path srcA = temp.write("project/src/a.c", "");
    const fs::path libA = temp.write("project/lib/a.c", "");
    builder.planBuild(
        *makeTarget({{"PROJECT_ROOT", text(root().string())}, {"C_FILES", paths({srcA, libA})}}));
    auto other = makeTarget({{"PROJECT_ROOT", text(root().string())}, {"C_FILES", paths({libA})}},
                            {"", "main", "other"});
    builder.beginBuild(*other, 1);
    EXPECT_EQ(
        builder.createRecipes(*other)[0].command,
        "cc -c " + libA.string() + " -o " + (root() / "x86_64-linux-gnu/main/other/a.o").string());
}

TEST_F(CBuilderTest, AddInputTakesOneValueOrAListOfClones) {
    auto target =
        makeTarget({{"ONE", paths({"x.o"})}, {"TWO", paths({"a.c", "b.h"})}, {"NONE", nullptr}});
    WorkItem item;
    IntermediateSpec objects{"OBJS", [](const RilkValuePtr& source) -> RilkValuePtr {
                                 if (source->toString().ends_with(".h")) return nullptr;
                                 return makeString(source->toString() + ".o");
                             }};
    TestCompiler::addInput(target->assignments, "one", item, std::nullopt);
    TestCompiler::addInput(target->assignments, "TWO", item, objects);
    TestCompiler::addInput(target->assignments, "NONE", item, objects);
    TestCompiler::addInput(target->assignments, "ABSENT", item, objects);
    ASSERT_EQ(item.inputs.size(), 2U);
    EXPECT_EQ(item.inputs[0].input.toString(), "one = P\"x.o\"");
    EXPECT_FALSE(item.inputs[0].hasIntermediate());
    EXPECT_EQ(item.inputs[1].input.toString(), "TWO = [ P\"a.c\", P\"b.h\" ]");
    EXPECT_EQ(item.inputs[1].intermediate.toString(), "OBJS = \"a.c.o\"");
}

TEST_F(CBuilderTest, OutputPairsArePathAndFileName) {
    std::vector<Assignment> outputs;
    TestCompiler::addOutputPair(outputs, "LIB", "LIB_NAME", "/out", "sub/libx.a");
    ASSERT_EQ(outputs.size(), 2U);
    EXPECT_EQ(outputs[0].toString(), "LIB = P\"/out/sub/libx.a\"");
    EXPECT_EQ(outputs[1].toString(), "LIB_NAME = \"libx.a\"");
    EXPECT_EQ(outputs[0].modifier, AssignModifier::Up);
    EXPECT_EQ(outputs[1].modifier, AssignModifier::Up);

    builder.outputDirectory = "/out";
    builder.outputName = "app";
    Context collected = builder.collectOutputs(Context(), 0);
    EXPECT_EQ(collected.assignments.at("BINARY").toString(), "BINARY = P\"/out/app\"");
    EXPECT_EQ(collected.assignments.at("BINARY").modifier, AssignModifier::None);
    EXPECT_EQ(collected.getString("BINARY_NAME"), "app");
}

TEST(CBuilderFileName, FileNameOrWholeText) {
    EXPECT_EQ(TestCompiler::fileNameText("out/app"), "app");
    EXPECT_EQ(TestCompiler::fileNameText("app"), "app");
    EXPECT_EQ(TestCompiler::fileNameText("out/"), "out/");
}

}  // namespace
}  // namespace Rilk
