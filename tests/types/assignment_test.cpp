#include "types/assignment.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

RilkValuePtr num(std::int32_t n) { return std::make_shared<RilkInt>(n); }

struct TextCase {
    AssignType type;
    RilkValuePtr value;
    std::string text;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.text; }
};

class AssignmentTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(AssignmentTextTest, PrintsInAssignmentSyntax) {
    const TextCase& c = GetParam();
    EXPECT_EQ(Assignment("CFLAGS", c.value, c.type, AssignModifier::Up).toString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, AssignmentTextTest,
    testing::Values(TextCase{AssignType::Set, makeString("-O2"), "CFLAGS = \"-O2\""},
                    TextCase{AssignType::Append, num(3), "CFLAGS += 3"},
                    TextCase{AssignType::SetIfUnset, makePathString("a", "/p"),
                             "CFLAGS ?= P\"/p/a\""},
                    TextCase{AssignType::Declare, nullptr, "CFLAGS"},
                    TextCase{AssignType::Declare, num(1), "CFLAGS : 1"},
                    TextCase{AssignType::Set, nullptr, "CFLAGS = "},
                    TextCase{AssignType::Set,
                             std::make_shared<RilkList>(std::vector<RilkValuePtr>{makeString("a"),
                                                                                  makeString("b")}),
                             "CFLAGS = [ \"a\", \"b\" ]"},
                    TextCase{static_cast<AssignType>(9), num(1), "CFLAGS1"}));

TEST(AssignmentTest, EqualityComparesNamesIgnoringCaseAndValues) {
    const Assignment foo("Foo", num(1), AssignType::Set, AssignModifier::None);
    EXPECT_TRUE(foo == Assignment("FOO", num(1), AssignType::Append, AssignModifier::Up));
    EXPECT_FALSE(foo == Assignment("Foo", num(2), AssignType::Set, AssignModifier::None));
    EXPECT_FALSE(foo == Assignment("Fo", num(1), AssignType::Set, AssignModifier::None));
    const Assignment empty("x", nullptr, AssignType::Declare, AssignModifier::None);
    EXPECT_FALSE(empty == Assignment("x", num(1), AssignType::Set, AssignModifier::None));
    EXPECT_FALSE(Assignment("x", num(1), AssignType::Set, AssignModifier::None) == empty);
    EXPECT_TRUE(empty == Assignment("X", nullptr, AssignType::Set, AssignModifier::None));
}

TEST(AssignmentTest, ReplaceValueReturnsTheOldValueAndClearsResolved) {
    const RilkValuePtr old = num(1);
    Assignment a("v", old, AssignType::Set, AssignModifier::None);
    a.resolved = true;
    const RilkValuePtr fresh = num(2);
    EXPECT_EQ(a.replaceValue(fresh), old);
    EXPECT_EQ(a.value, fresh);
    EXPECT_FALSE(a.resolved);
}

TEST(AssignmentTest, GetAssignmentStringNeverThrows) {
    std::map<Util::CiString, Assignment> map;
    map.emplace("Prefix",
                Assignment("Prefix", makeString("arm-"), AssignType::Set, AssignModifier::None));
    map.emplace("empty", Assignment("empty", nullptr, AssignType::Declare, AssignModifier::None));
    EXPECT_EQ(getAssignmentString(map, "PREFIX"), "arm-");
    EXPECT_EQ(getAssignmentString(map, "empty"), "");
    EXPECT_EQ(getAssignmentString(map, "missing"), "");
}

TEST(AssignmentTest, ExceptionNamesBothAssignments) {
    const Assignment held("a", num(1), AssignType::Set, AssignModifier::None);
    const Assignment applied("a", num(2), static_cast<AssignType>(7), AssignModifier::None);
    const AssignmentException error(held, applied);
    EXPECT_STREQ(error.what(), "Attempted to modify assignment: a = 1 with a2");
    const std::exception& standard = error;
    EXPECT_STREQ(standard.what(), error.what());
}

}  // namespace
}  // namespace Rilk
