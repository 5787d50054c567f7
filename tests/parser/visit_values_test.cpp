#include <gtest/gtest.h>

#include <stdexcept>

#include "parser/visit_test_support.h"
#include "types/context.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"

namespace {

using Kind = RilkVisitorImpl::FileKind;

struct ValueCase {
    const char* text;
    Kind kind;
    const char* typeName;
    const char* valueText;
};

class VisitValue : public testing::TestWithParam<ValueCase> {};

TEST_P(VisitValue, BuildsTheValueOfTheLiteral) {
    auto value = VisitText(GetParam().text, GetParam().kind).value();
    ASSERT_NE(value, nullptr) << GetParam().text;
    EXPECT_EQ(value->typeName(), GetParam().typeName) << GetParam().text;
    EXPECT_EQ(value->toString(), GetParam().valueText) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Literals, VisitValue,
    testing::Values(ValueCase{"\"a b\"", Kind::Unit, "RilkString", "a b"},
                    ValueCase{"\"\"", Kind::Unit, "RilkString", ""},
                    ValueCase{"\"two\nlines\"", Kind::Unit, "RilkString", "two\nlines"},
                    ValueCase{"\"a\\b\"", Kind::Unit, "RilkString", "a\\b"},
                    ValueCase{R"--(R"(say "hi" (x) y)")--", Kind::Unit, "RilkRawString",
                              R"(say "hi" (x) y)"},
                    ValueCase{R"--(R"()")--", Kind::Unit, "RilkRawString", ""},
                    ValueCase{R"--(P"(src)")--", Kind::Project, "RilkString", "/base/src"},
                    ValueCase{R"--(P"(/opt/x)")--", Kind::Project, "RilkString", "/opt/x"},
                    ValueCase{"a.b[0]", Kind::Unit, "RilkIdentifier", "a.b[0]"},
                    ValueCase{"12", Kind::Unit, "RilkInt", "12"},
                    ValueCase{"-3", Kind::Unit, "RilkInt", "-3"},
                    ValueCase{"2147483647", Kind::Unit, "RilkInt", "2147483647"},
                    ValueCase{"-2147483648", Kind::Unit, "RilkInt", "-2147483648"},
                    ValueCase{"[]", Kind::Unit, "RilkList", ""},
                    ValueCase{"[[]]", Kind::Unit, "RilkList", ""}));

TEST(VisitValue, PathLiteralIsAPathStringInUnitAndRegistryFiles) {
    for (Kind kind : {Kind::Unit, Kind::Registry}) {
        auto value = VisitText(R"--(P"(src)")--", kind).value();
        auto* path = dynamic_cast<Rilk::RilkPathString*>(value.get());
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path->text(), "src");
        EXPECT_EQ(path->baseDirectory(), "/base");
    }
    // A project file fixes the path to its directory and keeps a plain string.
    auto value = VisitText(R"--(P"(src)")--", Kind::Project).value();
    EXPECT_EQ(dynamic_cast<Rilk::RilkPathString*>(value.get()), nullptr);
}

TEST(VisitValue, NumbersBeyond32BitsFailWithTheirPosition) {
    for (const char* text : {"3000000000", "-2147483649", "99999999999999999999999"}) {
        std::string error =
            errorText<std::out_of_range>([&] { VisitText(text, Kind::Unit).value(); });
        EXPECT_EQ(error.rfind("line 1, column 0: the number ", 0), 0u) << text << ": " << error;
    }
}

TEST(VisitValue, ListLiteralsNeverNest) {
    auto value = VisitText(R"([a, "b", [c, d]])", Kind::Unit).value();
    auto* list = dynamic_cast<Rilk::RilkList*>(value.get());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->elements().size(), 4u);
    EXPECT_EQ(list->elements()[0]->typeName(), "RilkIdentifier");
    EXPECT_EQ(list->elements()[1]->typeName(), "RilkString");
    EXPECT_EQ(list->elements()[1]->toString(), "b");
    EXPECT_EQ(list->elements()[2]->typeName(), "RilkIdentifier");
    EXPECT_EQ(list->elements()[3]->toString(), "d");
}

TEST(VisitValue, BlockIsANestedContextInUnitFilesOnly) {
    auto value = VisitText("{ y = 1 if y = 1 { z = 2 } }", Kind::Unit).value();
    auto* nested = dynamic_cast<Rilk::RilkContext*>(value.get());
    ASSERT_NE(nested, nullptr);
    EXPECT_TRUE(nested->context()->hasVariable("y"));
    EXPECT_EQ(nested->context()->conditions.size(), 1u);

    EXPECT_EQ(VisitText("{ y = 1 }", Kind::Project).value(), nullptr);
    EXPECT_EQ(VisitText("{ y = 1 }", Kind::Registry).value(), nullptr);
}

TEST(VisitValue, BlockInAListOfAProjectFileAddsNothing) {
    auto value = VisitText("[1, { y = 1 }, 2]", Kind::Project).value();
    auto* list = dynamic_cast<Rilk::RilkList*>(value.get());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->toString(), "1 2");
}

}  // namespace
