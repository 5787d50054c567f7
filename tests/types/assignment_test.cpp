#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(Assignment, PrintsInAssignmentSyntax) {
    const std::tuple<AssignType, RilkValuePtr, const char*> cases[] = {
        {AssignType::Set, str("-O2"), "CFLAGS = \"-O2\""},
        {AssignType::Append, num(3), "CFLAGS += 3"},
        {AssignType::SetIfUnset, makePathString("a", "/p"), "CFLAGS ?= P\"/p/a\""},
        {AssignType::Declare, nullptr, "CFLAGS"},
        {AssignType::Declare, num(1), "CFLAGS : 1"},
        {AssignType::Set, nullptr, "CFLAGS = "},
        {AssignType::Set, strings({"a", "b"}), "CFLAGS = [ \"a\", \"b\" ]"},
        {static_cast<AssignType>(9), num(1), "CFLAGS1"}};
    for (const auto& [type, value, text] : cases) {
        EXPECT_EQ(assign("CFLAGS", value, type, AssignModifier::Up).toString(), text);
    }
    EXPECT_STREQ(
        AssignmentException(assign("a", num(1)), assign("a", num(2), AssignType(7))).what(),
        "Attempted to modify assignment: a = 1 with a2");
}
