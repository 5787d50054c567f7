#include "tools/builder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk {
namespace {

constexpr AssignModifier kNone = AssignModifier::None;
constexpr AssignModifier kUp = AssignModifier::Up;

/// Input variables C_FILES, OBJS and MAIN (which asks for "Main.C"); declared variables
/// GCC, C_FILES, OBJS and VERSION (whose own value is "12").
BuilderTables testTables() {
    BuilderTables tables{makeAssignmentTable({"C_FILES", "OBJS", "MAIN"}),
                         makeVariableSpecTable({"GCC", "C_FILES", "OBJS", "VERSION"})};
    tables.inputVariables.at("MAIN").value = makeString("Main.C");
    tables.declaredVariables.at("VERSION").defaultValue = makeString("12");
    return tables;
}

/// A builder made from the test tables that keeps the default `selectMatchSubject`.
class TestBuilder : public Builder {
public:
    TestBuilder() : Builder(testTables().inputVariables, testTables().declaredVariables) {}
    void beginBuild(Context&, const std::size_t&) override {}
    void endBuild() override {}
    Context collectOutputs(const Context&, int) override { return {}; }
    BuildPlan planBuild(const TargetContext&) override { return {}; }
    std::vector<Recipe> createRecipes(const Context&) override { return {}; }
};

/// `name = value`, or a bare declaration when value is null.
Assignment assign(const char* name, const char* value, AssignModifier modifier = kNone) {
    return value ? Assignment(name, makeString(value), AssignType::Set, modifier)
                 : Assignment(name, nullptr, AssignType::Declare, modifier);
}

TEST(ClassifyVariables, KindAndClaimCaseByCase) {
    struct Case {
        const char* label;
        Assignment assignment;
        MatchKind kind;
        int claimed;
    };
    const Case cases[] = {
        {"input with value", assign("c_files", "a.c b.c"), PartialMatch, 1},
        {"input declared", assign("C_FILES", nullptr), ExactMatch, 1},
        {"input marked must", assign("C_FILES", "a.c", AssignModifier::Must), PartialMatch, 1},
        {"input value equal ignoring case", assign("MAIN", "main.c"), ExactMatch, 1},
        {"input value differs", assign("MAIN", "x.c"), PartialMatch, 1},
        {"input with value, target declared", assign("MAIN", nullptr), PartialMatch, 1},
        {"input output with value", assign("OBJS", "a.o", kUp), PartialMatch, 1},
        {"input output declared", assign("OBJS", nullptr, kUp), ExactMatch, 0},
        {"declared only, declared", assign("GCC", nullptr), ExactMatch, 0},
        {"declared only, with value", assign("GCC", "x"), PartialMatch, 0},
        {"declared default equal", assign("VERSION", "12"), ExactMatch, 0},
        {"declared default differs", assign("VERSION", "13"), PartialMatch, 0},
        {"declared default, target declared", assign("VERSION", nullptr), PartialMatch, 0},
        {"declared only as output", assign("GCC", "x", kUp), NoMatch, 0},
        {"declared only as output declared", assign("GCC", nullptr, kUp), NoMatch, 0},
        {"unknown", assign("FOO", "x"), NoMatch, 0},
        {"unknown output", assign("FOO", nullptr, kUp), NoMatch, 0},
    };
    for (const Case& c : cases) {
        MatchResult result;
        result.status = static_cast<MatchStatus>(7);
        TestBuilder().classifyVariables(result, Context({c.assignment}, {}).assignments);
        EXPECT_EQ(result.status, 7) << c.label << ": the status is left alone";
        ASSERT_EQ(result.variables.size(), 1U) << c.label;
        EXPECT_EQ(result.variables.begin()->second.kind, c.kind) << c.label;
        EXPECT_EQ(result.variables.begin()->second.claimed, c.claimed) << c.label;
    }
}

TEST(SelectMatchSubject, AnInputVariableAsOutputRefusesTheTarget) {
    struct Case {
        std::vector<Assignment> assignments;
        MatchStatus status;
        const char* log;  // at level 4
    };
    const Case cases[] = {
        {{}, BuildPossible, ""},
        {{assign("C_FILES", "a.c"), assign("GCC", "x", kUp)}, BuildPossible, ""},
        {{assign("objs", "a.o", kUp), assign("GCC", nullptr)},
         BuildImpossible,
         "Skipping 'objs' as match subject: output variable\n"},
    };
    const int saved = verbosity;
    for (const Case& c : cases) {
        for (int level : {4, 5}) {
            verbosity = level;
            ::testing::internal::CaptureStdout();
            const MatchResult result = TestBuilder().selectMatchSubject(Context(c.assignments, {}));
            EXPECT_EQ(::testing::internal::GetCapturedStdout(), level == 4 ? c.log : "");
            EXPECT_EQ(result.status, c.status);
            EXPECT_EQ(result.variables.size(), c.assignments.size());
        }
    }
    verbosity = saved;
}

}  // namespace
}  // namespace Rilk
