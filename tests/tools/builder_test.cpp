#include "tools/builder.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk {
namespace {

/// A builder with the C compiler's input variables, a few declared variables and one
/// declared variable with a value of its own.
class ClassifyingBuilder : public Builder {
public:
    ClassifyingBuilder()
        : Builder(makeAssignmentTable({"C_FILES", "OBJS"}),
                  makeVariableSpecTable({"GCC", "C_FILES", "OBJS", "VERSION"})) {
        declaredVariables.at("VERSION").defaultValue = makeString("12");
    }
    void beginBuild(Context&, const std::size_t&) override {}
    void endBuild() override {}
    Context collectOutputs(const Context&, int) override { return {}; }
    BuildPlan planBuild(const TargetContext&) override { return {}; }
    std::vector<Recipe> createRecipes(const Context&) override { return {}; }
};

/// Raises the verbosity so that level-4 messages print, for the scope.
class VerbosityGuard {
public:
    explicit VerbosityGuard(int level) : saved_(verbosity) { verbosity = level; }
    ~VerbosityGuard() { verbosity = saved_; }

private:
    int saved_;
};

Context contextWith(const Assignment& assignment) {
    Context context;
    context.addAssignment(assignment, kKeepModifier);
    return context;
}

struct ClassifyCase {
    const char* label;
    const char* name;
    const char* value;  // null: declared without value
    AssignModifier modifier;
    MatchKind kind;
    int claimed;
};

void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.label; }

class ClassifyVariablesTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyVariablesTest, KindAndClaim) {
    const ClassifyCase& c = GetParam();
    RilkValuePtr value = c.value ? makeString(c.value) : nullptr;
    Context target = contextWith(Assignment(c.name, value, AssignType::Set, c.modifier));
    MatchResult result;
    result.status = static_cast<MatchStatus>(7);
    ClassifyingBuilder().classifyVariables(result, target.assignments);
    EXPECT_EQ(result.status, 7) << "the status is left alone";
    ASSERT_EQ(result.variables.size(), 1U);
    EXPECT_EQ(result.variables.at(c.name).kind, c.kind);
    EXPECT_EQ(result.variables.at(c.name).claimed, c.claimed);
}

constexpr AssignModifier kNone = AssignModifier::None;
constexpr AssignModifier kUp = AssignModifier::Up;
constexpr AssignModifier kMust = AssignModifier::Must;

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifyVariablesTest,
    ::testing::Values(
        ClassifyCase{"input with value", "c_files", "a.c b.c", kNone, PartialMatch, 1},
        ClassifyCase{"input declared", "C_FILES", nullptr, kNone, ExactMatch, 1},
        ClassifyCase{"input marked must", "C_FILES", "a.c", kMust, PartialMatch, 1},
        ClassifyCase{"input output with value", "OBJS", "a.o", kUp, PartialMatch, 1},
        ClassifyCase{"input output declared", "OBJS", nullptr, kUp, ExactMatch, 0},
        ClassifyCase{"declared only, declared", "GCC", nullptr, kNone, ExactMatch, 0},
        ClassifyCase{"declared only, with value", "GCC", "x", kNone, PartialMatch, 0},
        ClassifyCase{"declared default equal", "VERSION", "12", kNone, ExactMatch, 0},
        ClassifyCase{"declared default differs", "VERSION", "13", kNone, PartialMatch, 0},
        ClassifyCase{"declared default, target declared", "VERSION", nullptr, kNone, PartialMatch,
                     0},
        ClassifyCase{"declared only as output", "GCC", "x", kUp, NoMatch, 0},
        ClassifyCase{"declared only as output declared", "GCC", nullptr, kUp, NoMatch, 0},
        ClassifyCase{"unknown", "FOO", "x", kNone, NoMatch, 0},
        ClassifyCase{"unknown output", "FOO", nullptr, kUp, NoMatch, 0}));

TEST(ClassifyVariables, InputValueComparesTextIgnoringCase) {
    ClassifyingBuilder builder;
    builder.inputVariables.at("C_FILES").value = makeString("Main.C");
    Context target =
        contextWith(Assignment("C_FILES", makeString("main.c"), AssignType::Set, kNone));
    MatchResult result;
    builder.classifyVariables(result, target.assignments);
    EXPECT_EQ(result.variables.at("C_FILES").kind, ExactMatch);
}

TEST(SelectMatchSubject, EmptyTargetIsBuildableWithNoEntries) {
    MatchResult result = ClassifyingBuilder().selectMatchSubject(Context());
    EXPECT_EQ(result.status, BuildPossible);
    EXPECT_TRUE(result.variables.empty());
}

TEST(SelectMatchSubject, InputVariableAsOutputIsNoMatchSubject) {
    VerbosityGuard verbose(1);
    Context target = contextWith(Assignment("objs", makeString("a.o"), AssignType::Set, kUp));
    target.addAssignment(Assignment("GCC", nullptr, AssignType::Declare, kNone), 0);
    ::testing::internal::CaptureStdout();
    MatchResult result = ClassifyingBuilder().selectMatchSubject(target);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Skipping 'objs' as match subject: output variable\n");
    EXPECT_EQ(result.status, BuildImpossible);
    EXPECT_EQ(result.variables.at("OBJS").kind, PartialMatch);
    EXPECT_EQ(result.variables.at("OBJS").claimed, 1);
    EXPECT_EQ(result.variables.at("GCC").kind, ExactMatch);
}

TEST(SelectMatchSubject, InputVariablesThatAreNotOutputsAllowTheBuild) {
    VerbosityGuard verbose(1);
    Context target = contextWith(Assignment("C_FILES", makeString("a.c"), AssignType::Set, kNone));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(ClassifyingBuilder().selectMatchSubject(target).status, BuildPossible);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

/// A builder made from one of the built-in tables.
class TableBuilder : public ClassifyingBuilder {
public:
    explicit TableBuilder(const BuilderTables& tables) {
        inputVariables = tables.inputVariables;
        declaredVariables = tables.declaredVariables;
    }
};

TEST(BuiltInWeights, DeclarationsPullTowardsTheBuilderThatPrefersThem) {
    struct Case {
        const BuilderTables& tables;
        Assignment assignment;
        int points;
    };
    const Assignment staticDeclared("STATIC", nullptr, AssignType::Declare, kNone);
    const Assignment nameSet("OUTPUT_NAME", makeString("app"), AssignType::Set, kNone);
    const Assignment nameDeclared("OUTPUT_NAME", nullptr, AssignType::Declare, kNone);
    for (const Case& c :
         {Case{gnuArTables(), staticDeclared, 5}, Case{gnuGccTables(), staticDeclared, 0},
          Case{gnuGccTables(), nameSet, 0}, Case{gnuGccTables(), nameDeclared, 5},
          Case{gnuObjcopyTables(), nameSet, 1}}) {
        MatchResult result;
        TableBuilder(c.tables).classifyVariables(result, contextWith(c.assignment).assignments);
        const VariableMatch& match = result.variables.at(c.assignment.name);
        auto spec = c.tables.declaredVariables.find(c.assignment.name);
        const int points =
            spec == c.tables.declaredVariables.end() ? 0 : spec->second.weightFor(match.kind);
        EXPECT_EQ(points, c.points) << c.assignment.toString();
    }
}

}  // namespace
}  // namespace Rilk
