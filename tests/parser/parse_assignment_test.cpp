#include "parser/parse_assignment.h"

#include "parser/parser_test_support.h"
#include "types/rilk_value_types.h"

using Type = Rilk::Assignment::AssignType;
using Modifier = Rilk::AssignModifier;

TEST(ParseAssignment, ReadsOneAssignment) {
    const std::tuple<const char*, const char*, Type, Modifier, const char*> cases[] = {
        // An identifier value becomes the plain string of its text.
        {"MODE = a.b", "MODE", Type::Set, Modifier::None, "RilkString:a.b"},
        {"CFLAGS", "CFLAGS", Type::Declare, Modifier::None, "none"},
        {"^OUT = \"a b\"", "OUT", Type::Set, Modifier::Up, "RilkString:a b"},
        {"N = 4", "N", Type::Set, Modifier::None, "RilkInt:4"},
        {"L += [a, b]", "L", Type::Append, Modifier::None, "RilkList:a b"},
        {"  X=1\n", "X", Type::Set, Modifier::None, "RilkInt:1"},
    };
    for (const auto& [text, name, type, modifier, value] : cases) {
        auto assignment = Rilk::parseAssignment(text, ".");
        EXPECT_EQ(assignment.name, name) << text;
        EXPECT_EQ(assignment.type, type) << text;
        EXPECT_EQ(assignment.modifier, modifier) << text;
        EXPECT_EQ(shown(assignment.value), value) << text;
    }
}

TEST(ParseAssignment, PathLiteralIsRelativeToTheSource) {
    auto assignment = Rilk::parseAssignment("P ?= P\"(src)\"", "d");
    EXPECT_EQ(assignment.type, Type::SetIfUnset);
    auto* path = dynamic_cast<Rilk::RilkPathString*>(assignment.value.get());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->text(), "src");
    EXPECT_EQ(path->baseDirectory(), "d");
}

TEST(ParseAssignment, FailsWithTheErrorText) {
    const std::string failed = "Parsing assignment failed due to syntax errors.";
    const std::pair<std::string, std::string> cases[] = {
        {"CFLAGS =", failed},
        {"= x", failed},
        {"name = x", failed},
        {"", failed},
        // Trailing input, lexical errors and deep nesting must not be dropped silently.
        {"A = x B = y", failed},
        {"A = x $", failed},
        {"A$ = x", failed},
        {"A = \"x\" }", failed},
        {"A = [1, 2]]", failed},
        {"A = \"\xff\"", failed},
        {"A = " + std::string(50000, '['), failed},
        {"!OUT = x", kMustRefused},
    };
    for (const auto& [text, error] : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(errorText<std::runtime_error>([&] { Rilk::parseAssignment(text, "."); }), error)
            << text.substr(0, 20);
        testing::internal::GetCapturedStderr();
    }
}

TEST(ParseAssignment, LexicalErrorIsAlsoShownOnStandardError) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(Rilk::parseAssignment("A = x %", "."), std::runtime_error);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("token recognition error at: '%'"),
              std::string::npos);
}
