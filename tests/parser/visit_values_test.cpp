#include "parser/parser_test_support.h"
#include "types/context.h"
#include "types/rilk_context_value.h"
#include "types/rilk_value_types.h"

TEST(VisitValue, BuildsTheValueOfTheLiteral) {
    const std::tuple<const char*, Kind, const char*> cases[] = {
        {"\"a b\"", Kind::Unit, "RilkString:a b"},
        {"\"\"", Kind::Unit, "RilkString:"},
        {"\"two\nlines\"", Kind::Unit, "RilkString:two\nlines"},
        {"\"a\\b\"", Kind::Unit, "RilkString:a\\b"},
        {R"--(R"(say "hi" (x) y)")--", Kind::Unit, R"(RilkRawString:say "hi" (x) y)"},
        {R"--(R"()")--", Kind::Unit, "RilkRawString:"},
        // A path literal is a path string in unit and registry files; a project file fixes
        // it to its directory and keeps a plain string.
        {R"--(P"(src)")--", Kind::Unit, "RilkString:src in /base"},
        {R"--(P"(src)")--", Kind::Registry, "RilkString:src in /base"},
        {R"--(P"(src)")--", Kind::Project, "RilkString:/base/src"},
        {R"--(P"(/opt/x)")--", Kind::Project, "RilkString:/opt/x"},
        {"a.b[0]", Kind::Unit, "RilkIdentifier:a.b[0]"},
        {"-3", Kind::Unit, "RilkInt:-3"},
        {"2147483647", Kind::Unit, "RilkInt:2147483647"},
        {"-2147483648", Kind::Unit, "RilkInt:-2147483648"},
        {"[[]]", Kind::Unit, "RilkList:"},
        // A block in a list of a project file adds nothing.
        {"[1, { y = 1 }, 2]", Kind::Project, "RilkList:1 2"},
        // Only a unit file gives a block a value.
        {"{ y = 1 }", Kind::Project, "none"},
        {"{ y = 1 }", Kind::Registry, "none"}};
    for (const auto& [text, kind, value] : cases) {
        EXPECT_EQ(shown(Visit(text, kind).value()), value) << text;
    }
}

TEST(VisitValue, ListLiteralsNeverNest) {
    auto value = Visit(R"([a, "b", [c, d]])", Kind::Unit).value();
    auto* list = dynamic_cast<Rilk::RilkList*>(value.get());
    ASSERT_NE(list, nullptr);
    std::vector<std::string> elements;
    for (const auto& element : list->elements()) elements.push_back(shown(element));
    EXPECT_EQ(elements, (std::vector<std::string>{"RilkIdentifier:a", "RilkString:b",
                                                  "RilkIdentifier:c", "RilkIdentifier:d"}));
}

TEST(VisitValue, NumbersBeyond32BitsFailWithTheirPosition) {
    for (const char* text : {"3000000000", "-2147483649", "99999999999999999999999"}) {
        std::string error = errorText<std::out_of_range>([&] { Visit(text, Kind::Unit).value(); });
        EXPECT_EQ(error.rfind("line 1, column 0: the number ", 0), 0u) << text << ": " << error;
    }
}

TEST(VisitValue, BlockIsANestedContextInUnitFiles) {
    auto value = Visit("{ y = 1 if y = 1 { z = 2 } }", Kind::Unit).value();
    auto* nested = dynamic_cast<Rilk::RilkContext*>(value.get());
    ASSERT_NE(nested, nullptr);
    EXPECT_TRUE(nested->context()->hasVariable("y"));
    EXPECT_EQ(nested->context()->conditions.size(), 1u);
}
