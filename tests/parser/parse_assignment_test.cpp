#include "parser/parse_assignment.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "types/rilk_value_types.h"

namespace {

using Type = Rilk::Assignment::AssignType;
using Modifier = Rilk::AssignModifier;

struct ItemCase {
    const char* text;
    const char* name;
    Type type;
    Modifier modifier;
    const char* typeName;  // null: no value
    const char* valueText;
};

class ParseAssignment : public testing::TestWithParam<ItemCase> {};

TEST_P(ParseAssignment, ReadsOneAssignment) {
    auto assignment = Rilk::parseAssignment(GetParam().text, ".");
    EXPECT_EQ(assignment.name, GetParam().name);
    EXPECT_EQ(assignment.type, GetParam().type) << GetParam().text;
    EXPECT_EQ(assignment.modifier, GetParam().modifier) << GetParam().text;
    if (GetParam().typeName == nullptr) {
        EXPECT_EQ(assignment.value, nullptr) << GetParam().text;
        return;
    }
    ASSERT_NE(assignment.value, nullptr) << GetParam().text;
    EXPECT_EQ(assignment.value->typeName(), GetParam().typeName) << GetParam().text;
    EXPECT_EQ(assignment.value->toString(), GetParam().valueText) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Items, ParseAssignment,
    testing::Values(
        // An identifier value becomes the plain string of its text.
        ItemCase{"MODE = release", "MODE", Type::Set, Modifier::None, "RilkString", "release"},
        ItemCase{"MODE = a.b", "MODE", Type::Set, Modifier::None, "RilkString", "a.b"},
        ItemCase{"CFLAGS", "CFLAGS", Type::Declare, Modifier::None, nullptr, ""},
        ItemCase{"^OUT = x", "OUT", Type::Set, Modifier::Up, "RilkString", "x"},
        ItemCase{"OUT = \"a b\"", "OUT", Type::Set, Modifier::None, "RilkString", "a b"},
        ItemCase{"N = 4", "N", Type::Set, Modifier::None, "RilkInt", "4"},
        ItemCase{"L += [a, b]", "L", Type::Append, Modifier::None, "RilkList", "a b"},
        ItemCase{"  X=1\n", "X", Type::Set, Modifier::None, "RilkInt", "1"}));

class ParseAssignmentFails : public testing::TestWithParam<const char*> {};

TEST_P(ParseAssignmentFails, WithTheSyntaxErrorText) {
    testing::internal::CaptureStderr();
    try {
        Rilk::parseAssignment(GetParam(), ".");
        ADD_FAILURE() << "accepted: " << GetParam();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Parsing assignment failed due to syntax errors.");
    }
    testing::internal::GetCapturedStderr();
}

INSTANTIATE_TEST_SUITE_P(Items, ParseAssignmentFails,
                         testing::Values("CFLAGS =", "= x", "name = x", "",
                                         // Trailing input and lexical errors must not be
                                         // dropped silently.
                                         "A = x B = y", "a = 1 b", "A = x $", "A$ = x",
                                         "A = \"x\" }", "A = [1, 2]]", "A = \"\xff\""));

TEST(ParseAssignment, LexicalErrorIsAlsoShownOnStandardError) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(Rilk::parseAssignment("A = x %", "."), std::runtime_error);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("token recognition error at: '%'"),
              std::string::npos);
}

TEST(ParseAssignment, PathLiteralIsRelativeToTheSource) {
    auto assignment = Rilk::parseAssignment("P ?= P\"(src)\"", ".");
    EXPECT_EQ(assignment.type, Type::SetIfUnset);
    auto* path = dynamic_cast<Rilk::RilkPathString*>(assignment.value.get());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->text(), "src");
    EXPECT_EQ(path->baseDirectory(), ".");
}

TEST(ParseAssignment, MustModifierIsRefused) {
    try {
        Rilk::parseAssignment("!OUT = x", ".");
        FAIL() << "accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "'!' assignment modifier is not allowed in this context.");
    }
}

TEST(ParseAssignment, DeepNestingFailsAsASyntaxError) {
    std::string text = "A = ";
    for (int i = 0; i < 50000; ++i) text += "[";
    EXPECT_THROW(Rilk::parseAssignment(text, "."), std::runtime_error);
}

}  // namespace
