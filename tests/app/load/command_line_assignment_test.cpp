#include <string>

#include <gtest/gtest.h>

#include "app/load/command_line_assignment.h"
#include "types/rilk_string.h"

namespace {

using Rilk::AssignModifier;
using Rilk::AssignType;

TEST(CommandLineAssignment, AnEqualsReplacesTheEntryWholeOthersApplyByTheirOperator) {
    struct Case {
        AssignType held;  // Declare: no variable held
        AssignType given;
        AssignType type;
        const char* value;
        AssignModifier modifier;
    };
    const Case cases[] = {
        {AssignType::SetIfUnset, AssignType::Set, AssignType::Set, "c", AssignModifier::None},
        {AssignType::Append, AssignType::Set, AssignType::Set, "c", AssignModifier::None},
        {AssignType::Declare, AssignType::Set, AssignType::Set, "c", AssignModifier::None},
        {AssignType::SetIfUnset, AssignType::Append, AssignType::SetIfUnset, "p c",
         AssignModifier::Up},
        {AssignType::SetIfUnset, AssignType::SetIfUnset, AssignType::SetIfUnset, "p",
         AssignModifier::Up},
        {AssignType::Declare, AssignType::Append, AssignType::Append, "c", AssignModifier::None},
    };
    for (const Case& c : cases) {
        Rilk::Context context;
        if (c.held != AssignType::Declare) {
            context.addAssignment(
                Rilk::Assignment("Xy", Rilk::makeString("p"), c.held, AssignModifier::Up), 0);
        }
        Rilk::applyCommandLineAssignment(
            context, Rilk::Assignment("XY", Rilk::makeString("c"), c.given, AssignModifier::None));
        ASSERT_EQ(context.assignments.size(), 1U);
        const Rilk::Assignment& stored = context.assignments.begin()->second;
        const int row = static_cast<int>(&c - cases);
        EXPECT_EQ(stored.type, c.type) << row;
        EXPECT_EQ(stored.value->toString(), c.value) << row;
        EXPECT_EQ(stored.modifier, c.modifier) << row;
        EXPECT_EQ(stored.name, c.held == AssignType::Declare ? "XY" : "Xy") << row;
        EXPECT_EQ(context.assignments.begin()->first.str(), stored.name) << row;
    }
}

}  // namespace
