#include "tools/c_builder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

/// A compiler-like test tool: one work item per C source; a job's command lines compile
/// each of its sources to the object the base names for it.
class TestCompiler : public CBuilder {
public:
    TestCompiler() : CBuilder(makeAssignmentTable({"C_FILES"}), makeVariableSpecTable({})) {}
    Context collectOutputs(const Context&, int) override { return {}; }
    /// "output directory|output name|target name|job count".
    std::string state() const {
        return fmt::format("{}|{}|{}|{}", outputDirectory.string(), outputName, targetName,
                           jobCount);
    }
    using CBuilder::addOutputPair;
    using CBuilder::addOutputPairToContext;
    using CBuilder::fileNameText;
    using CBuilder::outputDirectoryFor;

protected:
    PlannedWork planWork(const TargetContext& target) const override {
        PlannedWork planned;
        const fs::path directory = outputDirectoryFor(target, target.name, target.name.target, "");
        addCompileWorkItems(target.assignments, "C_FILES", directory, planned.workItems);
        appendContextAssignment(target.assignments, "C_FLAGS", planned.context);
        return planned;
    }
    std::int64_t maxParallelJobs(const TargetContext&, const PlannedWork&) const override {
        return -1;
    }
    void onBeginBuild(Context&) override {}
    std::vector<std::string> createCommandLines(const std::string&,
                                                const Context& job) const override {
        std::vector<std::string> lines;
        for (const auto& [source, object] :
             objectFiles(job.getVariable("C_FILES"), outputDirectory)) {
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

/// `name = value`, or a bare declaration when the value is null.
Assignment var(const std::string& name, const RilkValuePtr& value) {
    return Assignment(name, value, value ? AssignType::Set : AssignType::Declare,
                      AssignModifier::None);
}

/// The assignment as written, '^' marking an output variable.
std::string written(const Assignment& a) {
    return (a.modifier == AssignModifier::Up ? "^" : "") + a.toString();
}

/// A target with the variables (declared where the value is null).
std::shared_ptr<TargetContext> makeTarget(
    const std::vector<std::pair<std::string, RilkValuePtr>>& variables,
    const QualifiedTargetName& name = {"", "main", "app"}, const std::string& parameters = "") {
    std::vector<Assignment> assignments;
    for (const auto& [variable, value] : variables) assignments.push_back(var(variable, value));
    auto target = std::make_shared<TargetContext>(Context(assignments, {}), name);
    target->parameterText = parameters;
    return target;
}

RilkValuePtr paths(const std::vector<fs::path>& files) {
    std::vector<RilkValuePtr> elements;
    for (const fs::path& file : files) elements.push_back(makePathString(file.string(), ""));
    return std::make_shared<RilkList>(std::move(elements));
}

/// A temporary project for the test tool; the "Output dir" messages stay quiet.
class CBuilderTest : public ::testing::Test {
protected:
    CBuilderTest() { verbosity = 6; }
    ~CBuilderTest() override { verbosity = savedVerbosity; }

    /// A target of the project with these C sources and its outputs below "out".
    std::shared_ptr<TargetContext> compiling(const std::vector<fs::path>& sources,
                                             const std::string& name = "app") const {
        return makeTarget({{"PROJECT_ROOT", root},
                           {"OUTPUT_DEF_DIR", makeString("out")},
                           {"C_FILES", paths(sources)}},
                          {"", "main", name});
    }

    const int savedVerbosity = verbosity;
    RilkTest::TempDir temp;
    const RilkValuePtr root = makeString((temp.path() / "project").string());
    const fs::path objects = temp.path() / "project/out/x86_64-linux-gnu/main/app";
    TestCompiler builder;
};

TEST_F(CBuilderTest, BeginBuildCreatesTheOutputDirectoryAndEndBuildResetsTheJobCount) {
    // OUTPUT_DEF_DIR (a leading '/' stands for the temporary directory), PROFILE, namespace,
    // parameters, and the directory below the temporary one ("@" and the hash follow).
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"out", "", "", "", "project/out/x86_64-linux-gnu/main/app"},
        {"out", "debug", "lib", "", "project/out/x86_64-linux-gnu/debug/lib/main/app"},
        {"", "", "", "", "project/x86_64-linux-gnu/main/app"},
        {"/build", "", "", "", "build/x86_64-linux-gnu/main/app"},
        {"out", "", "", "n=1", "project/out/x86_64-linux-gnu/main/app"},
    };
    verbosity = 5;
    for (const auto& [outputDefDir, profile, ns, parameters, expectedText] : cases) {
        const std::string defDir =
            (*outputDefDir == '/' ? temp.path().string() : "") + outputDefDir;
        auto target = makeTarget({{"PROJECT_ROOT", root},
                                  {"OUTPUT_DEF_DIR", makeString(defDir)},
                                  {"PROFILE", makeString(profile)}},
                                 {ns, "main", "app"}, parameters);
        ::testing::internal::CaptureStdout();
        builder.beginBuild(*target, 4);
        std::string expected = (temp.path() / expectedText).string();
        if (*parameters) expected += "@" + target->parameterHash();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Output dir: " + expected + "\n");
        EXPECT_EQ(builder.state(), expected + "|app|app|4");
        EXPECT_TRUE(fs::is_directory(expected)) << expected;
        builder.endBuild();
        EXPECT_EQ(builder.state(), expected + "|app|app|1");
    }
    verbosity = 6;
    auto target = makeTarget({{"PROJECT_ROOT", root}, {"OUTPUT_DIR", makeString("out")}});
    EXPECT_EQ(builder.outputDirectoryFor(*target, target->name, "app", ""), "out");
    const std::string directory = root->toString() + "/x86_64-linux-gnu/main/app";
    builder.beginBuild(*makeTarget({{"PROJECT_ROOT", root}, {"OUTPUT_NAME", makeString("x")}}), 1);
    EXPECT_EQ(builder.state(), directory + "|x|app|1");
    builder.beginBuild(*makeTarget({{"PROJECT_ROOT", root}, {"OUTPUT_NAME", nullptr}}), 1);
    EXPECT_EQ(builder.state(), directory + "|app|app|1");
}

TEST_F(CBuilderTest, PlansOneWorkItemPerSourceAndJobsNameObjectsAsThePlanDid) {
    const fs::path srcA = temp.path() / "src/a.c", libA = temp.path() / "lib/a.c";
    auto target = compiling({srcA, libA, temp.path() / "src/b.c"});
    target->addAssignment(var("C_FLAGS", makeString("-c")), 0);
    target->addAssignment(var("output_name", nullptr), 0);
    BuildPlan plan = builder.planBuild(*target);
    EXPECT_EQ(plan.maxParallelJobs, BuildPlan::kNoJobLimit);
    std::string items, context;
    for (const WorkItem& item : plan.workItems) {
        for (const WorkItemEntry& entry : item.inputs) {
            items += written(entry.input) +
                     (entry.hasIntermediate() || entry.intermediateFlag ? " and more" : "");
        }
        for (const Assignment& output : item.outputs) items += " -> " + written(output);
        items += "\n";
    }
    EXPECT_EQ(items, fmt::format("C_FILES = P\"{0}/src/a.c\" -> ^OBJS = P\"{1}/src/a.o\"\n"
                                 "C_FILES = P\"{0}/lib/a.c\" -> ^OBJS = P\"{1}/lib/a.o\"\n"
                                 "C_FILES = P\"{0}/src/b.c\" -> ^OBJS = P\"{1}/b.o\"\n",
                                 temp.path().string(), objects.string()));
    for (const Assignment& a : plan.context) context += written(a) + ";";
    EXPECT_EQ(context, "C_FLAGS = \"-c\";PROJECT_ROOT = \"" + root->toString() +
                           "\";OUTPUT_NAME;OUTPUT_DEF_DIR = \"out\";");
    // The plan holds clones, not the target's own values.
    EXPECT_NE(plan.context[0].value, target->getVariable("C_FLAGS"));
    EXPECT_NE(plan.workItems[0].inputs[0].input.value,
              std::dynamic_pointer_cast<RilkList>(target->getVariable("C_FILES"))->elements()[0]);

    // A job holding only lib/a.c, which alone would look unique, names the planned object.
    builder.beginBuild(*compiling({libA}), 2);
    std::vector<Recipe> recipes = builder.createRecipes(*compiling({libA}));
    ASSERT_EQ(recipes.size(), 1U);  // command|working directory|kind|PATH directories
    EXPECT_EQ(fmt::format("{}|{}|{}|{}", recipes[0].command, recipes[0].workingDirectory.string(),
                          recipes[0].kind, recipes[0].pathDirectories.size()),
              fmt::format("cc -c {} -o {}/lib/a.o|{}|0|0", libA.string(), objects.string(),
                          objects.string()));
    EXPECT_TRUE(fs::is_directory(objects / "src") && fs::is_directory(objects / "lib"));
    builder.endBuild();
    // Another target compiling lib/a.c alone gets the plain object.
    builder.planBuild(*target);
    builder.beginBuild(*compiling({libA}, "other"), 1);
    EXPECT_EQ(builder.createRecipes(*compiling({libA}, "other"))[0].command,
              "cc -c " + libA.string() + " -o " + root->toString() +
                  "/out/x86_64-linux-gnu/main/other/a.o");
}

TEST_F(CBuilderTest, ATargetBuiltWithoutAPlanGetsTheDirectoriesOfItsObjects) {
    auto target = compiling({temp.path() / "src/a.c", temp.path() / "lib/a.c"});
    builder.beginBuild(*target, 1);
    EXPECT_EQ(
        builder.createRecipes(*target)[1].command,
        fmt::format("cc -c {0}/lib/a.c -o {1}/lib/a.o", temp.path().string(), objects.string()));
    EXPECT_TRUE(fs::is_directory(objects / "src") && fs::is_directory(objects / "lib"));
}

TEST(CBuilderOperations, OutputPairsArePathAndFileName) {
    std::vector<Assignment> outputs;
    TestCompiler::addOutputPair(outputs, "LIB", "LIB_NAME", "/out", "sub/libx.a");
    ASSERT_EQ(outputs.size(), 2U);
    EXPECT_EQ(written(outputs[0]) + ";" + written(outputs[1]),
              "^LIB = P\"/out/sub/libx.a\";^LIB_NAME = \"libx.a\"");
    Context collected;
    TestCompiler::addOutputPairToContext(collected, "BINARY", "BINARY_NAME", "/out", "app");
    EXPECT_EQ(written(collected.assignments.at("BINARY")) + ";" +
                  written(collected.assignments.at("BINARY_NAME")),
              "BINARY = P\"/out/app\";BINARY_NAME = \"app\"");
    EXPECT_EQ(TestCompiler::fileNameText("out/"), "out/");
    // A relative output directory (OUTPUT_DIR = "libout") is taken from the working directory.
    std::vector<Assignment> relative;
    TestCompiler::addOutputPair(relative, "LIB", "LIB_NAME", "libout", "libx.a");
    TestCompiler::addOutputPair(relative, "SO", "SO_NAME", "libout", "/abs/libx.so");
    EXPECT_EQ(written(relative[0]) + ";" + written(relative[2]),
              "^LIB = P\"" + (fs::current_path() / "libout/libx.a").string() +
                  "\";^SO = P\"/abs/libx.so\"");
}

}  // namespace
}  // namespace Rilk
