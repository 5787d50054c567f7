#include "types/argument_text.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

struct ArgCase {
    const char* text;
    const char* prefix;
    bool quote;
    const char* expected;
};

class FormatArg : public ::testing::TestWithParam<ArgCase> {};

TEST_P(FormatArg, WritesOneArgument) {
    const ArgCase& c = GetParam();
    EXPECT_EQ(formatArg(raw(c.text), c.prefix, c.quote), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatArg,
    ::testing::Values(ArgCase{"a b", "p", true, " p\"a b\""}, ArgCase{"a b", "p", false, " pa b"},
                      ArgCase{"", "-I", true, ""}, ArgCase{"\"q r\"", "", true, " \"q r\""},
                      ArgCase{R"(a\b"c$d`e)", "-D", true, R"( -D"a\\b\"c\$d\`e")"},
                      ArgCase{R"(a\b"c$d`e)", "-D", false, R"( -Da\b"c$d`e)"},
                      ArgCase{"\"open", "", true, R"( "\"open")"},
                      ArgCase{"$(rm -rf x)", "", true, R"x( "\$(rm -rf x)")x"}));

TEST(FormatArgNull, GivesNothing) { EXPECT_EQ(formatArg(nullptr, "p", true), ""); }

class VariableArgs : public ::testing::Test {
  protected:
    VariableArgs() {
        set(context, "flags", raw("-O2 -g"));
        set(context, "dirs", list({raw("a"), raw("b c")}));
        set(context, "deep", list({list({raw("a"), list({raw("b"), raw("c")})})}));
        set(context, "gaps", list({raw(""), raw("x"), nullptr}));
        context.addAssignment(assign("none", nullptr, AssignType::Declare), kKeepModifier);
    }
    Context context;
};

TEST_F(VariableArgs, DeepFormTakesStringsWholeAndListsToAnyDepth) {
    EXPECT_EQ(context.formatVariableArgs("flags", "", true), " \"-O2 -g\"");
    EXPECT_EQ(context.formatVariableArgs("dirs", "-I", true), " -I\"a\" -I\"b c\"");
    EXPECT_EQ(context.formatVariableArgs("deep", "p", false), " pa pb pc");
    EXPECT_EQ(context.formatVariableArgs("gaps", "p", false), " px");
    EXPECT_EQ(context.formatVariableArgs("none", "p", false), "");
    EXPECT_EQ(context.formatVariableArgs("absent", "p", false), "");
}

TEST_F(VariableArgs, FlatFormSplitsWordsAndOpensOneLevel) {
    EXPECT_EQ(context.formatVariableArgsFlat("flags", "", false), " -O2 -g");
    EXPECT_EQ(context.formatVariableArgsFlat("flags", "", true), " \"-O2\" \"-g\"");
    EXPECT_EQ(context.formatVariableArgsFlat("dirs", "-I", true), " -I\"a\" -I\"b c\"");
    EXPECT_EQ(context.formatVariableArgsFlat("deep", "p", false), " pa pb c");
    EXPECT_EQ(context.formatVariableArgsFlat("gaps", "p", false), " px");
    EXPECT_EQ(context.formatVariableArgsFlat("none", "p", false), "");
    EXPECT_EQ(context.formatVariableArgsFlat("absent", "p", false), "");
}

}  // namespace
}  // namespace Rilk
