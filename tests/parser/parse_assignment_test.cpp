#include "parser/parse_assignment.h"

#include "parser/parser_test_support.h"
#include "types/rilk_list.h"

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
        // A path literal is relative to the source.
        {"P ?= P\"(src)\"", "P", Type::SetIfUnset, Modifier::None, "RilkString:src in ."},
        // ... except one that says "./" already, which a second "./" would only lengthen.
        {"P = P\"(./src)\"", "P", Type::Set, Modifier::None, "RilkString:./src in "},
        {"P = P\"(/src)\"", "P", Type::Set, Modifier::None, "RilkString:/src in ."}};
    for (const auto& [text, name, type, modifier, value] : cases) {
        auto assignment = Rilk::parseAssignment(text, ".");
        EXPECT_EQ(assignment.name, name) << text;
        EXPECT_EQ(assignment.type, type) << text;
        EXPECT_EQ(assignment.modifier, modifier) << text;
        EXPECT_EQ(shown(assignment.value), value) << text;
    }
}

TEST(ParseAssignment, APathInTheWorkingDirectorySaysDotSlashOnce) {
    const auto list = Rilk::parseAssignment("P = [P\"(./a)\", P\"(b)\", P\"(../c)\"]", ".").value;
    std::string paths;
    for (const auto& element : dynamic_cast<const Rilk::RilkList&>(*list).elements()) {
        paths += dynamic_cast<const Rilk::RilkPathString&>(*element).fullPathText() + " ";
    }
    EXPECT_EQ(paths, "./a ./b ./../c ");
    // Elsewhere "./" is joined as any relative text.
    const auto elsewhere = Rilk::parseAssignment("P = P\"(./a)\"", "/base").value;
    EXPECT_EQ(dynamic_cast<const Rilk::RilkPathString&>(*elsewhere).fullPathText(), "/base/./a");
}

TEST(ParseAssignment, FailsWithTheErrorText) {
    const std::vector<std::string> texts = {
        "CFLAGS =", "= x", "name = x", "",
        // Trailing input, lexical errors and deep nesting must not be dropped silently.
        "A = x B = y", "A = x $", "A$ = x", "A = \"x\" }", "A = [1, 2]]", "A = \"\xff\"",
        "A = " + std::string(50000, '[')};
    auto error = [](const std::string& text) {
        testing::internal::CaptureStderr();
        std::string what = errorText<std::runtime_error>([&] { Rilk::parseAssignment(text, "."); });
        testing::internal::GetCapturedStderr();
        return what;
    };
    for (const auto& text : texts) {
        EXPECT_EQ(error(text), "Parsing assignment failed due to syntax errors.")
            << text.substr(0, 20);
    }
    EXPECT_EQ(error("!OUT = x"), kMustRefused);
}

TEST(ParseAssignment, LexicalErrorIsAlsoShownOnStandardErrorUnlessQuiet) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(Rilk::parseAssignment("A = x %", "."), std::runtime_error);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("token recognition error at: '%'"),
              std::string::npos);
    testing::internal::CaptureStderr();
    EXPECT_THROW(Rilk::parseAssignment("A = x %", ".", true), std::runtime_error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
