#include "parser/parser_test_support.h"

using Type = Rilk::Assignment::AssignType;
using Modifier = Rilk::AssignModifier;

TEST(VisitAssignment, BuildsNameOperatorModifierAndValue) {
    const std::tuple<const char*, Type, Modifier, const char*> cases[] = {
        {"x", Type::Declare, Modifier::None, "none"},
        {"x = 1", Type::Set, Modifier::None, "RilkInt:1"},
        {"^x += 1", Type::Append, Modifier::Up, "RilkInt:1"},
        {"x ?= \"v\"", Type::SetIfUnset, Modifier::None, "RilkString:v"},
        {"!x = y", Type::Set, Modifier::Must, "RilkIdentifier:y"},
        {"!x", Type::Declare, Modifier::Must, "none"},
    };
    for (const auto& [text, type, modifier, value] : cases) {
        auto assignment = Visit(text, Kind::Registry).assignment();
        EXPECT_EQ(assignment.name, "x") << text;
        EXPECT_EQ(assignment.type, type) << text;
        EXPECT_EQ(assignment.modifier, modifier) << text;
        EXPECT_FALSE(assignment.resolved) << text;
        EXPECT_EQ(shown(assignment.value), value) << text;
    }
}

// "!" is refused in unit and project files, before any error inside the value.
TEST(VisitAssignment, MustModifierIsRefusedOutsideRegistryFiles) {
    for (Kind kind : {Kind::Unit, Kind::Project}) {
        for (const char* text : {"!x", "!x = 1", "!x = [1, 3000000000]"}) {
            EXPECT_EQ(errorText<std::runtime_error>([&] { Visit(text, kind).assignment(); }),
                      kMustRefused)
                << text;
        }
    }
}
