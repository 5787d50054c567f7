#include <gtest/gtest.h>

#include <stdexcept>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

class IdentifierResolution : public ::testing::Test {
  protected:
    IdentifierResolution() {
        set(context, "list", list({raw("a"), raw("b")}));
        set(context, "text", raw("hello"));
        set(context, "one", num(1));
        set(context, "oneText", raw("1"));
        set(context, "empty", nullptr, AssignType::Declare);
        set(*inner, "name", ref("other"));
        set(context, "cfg", nested(inner));
        set(context, "other", raw("found"));
        set(context, "refs", list({ref("other"), nested(inner)}));
    }

    std::string text(const std::string& identifier) {
        const RilkValuePtr value = context.resolve(ident(identifier));
        return value ? value->toString() : "<null>";
    }

    template <typename Error>
    std::string error(const std::string& identifier) {
        try {
            context.resolve(ident(identifier));
        } catch (const Error& e) {
            if constexpr (std::is_base_of_v<RilkException, Error>)
                return e.message();
            else
                return e.what();
        }
        return "no error";
    }

    Context context;
    ContextPtr inner = std::make_shared<Context>();
};

TEST_F(IdentifierResolution, FindsPlainIndexedAndDottedNames) {
    EXPECT_EQ(text("empty"), "<null>");
    EXPECT_EQ(text("TEXT"), "hello");
    EXPECT_EQ(text("list[1]"), "b");
    EXPECT_EQ(text("text[1..3]"), "el");
    EXPECT_EQ(text("list[one]"), "b");
    EXPECT_EQ(text("refs[1].name"), "found");
}

TEST_F(IdentifierResolution, ResolvesTheDesignatedVariableWhereItLives) {
    EXPECT_EQ(text("cfg.NAME"), "found");
    EXPECT_TRUE(inner->assignments.at("name").resolved);
    EXPECT_EQ(inner->getVariable("name")->toString(), "found");
    EXPECT_FALSE(context.assignments.at("cfg").resolved);
    // An indexed element is resolved but not cached.
    EXPECT_EQ(text("refs[0]"), "found");
    EXPECT_EQ(context.getVariable("refs")->toString(), "other name");
}

TEST_F(IdentifierResolution, EachFailingFormRaisesItsError) {
    EXPECT_EQ(error<NotFoundException>("a"), "Assignment 'a' not found.");
    EXPECT_EQ(error<std::out_of_range>("a.b"), "map::at");
    EXPECT_EQ(error<std::out_of_range>("a[0]"), "map::at");
    EXPECT_EQ(error<IdentifierError>("text.b"), "Identifier part must be context. text. <<");
    EXPECT_EQ(error<NotFoundException>("cfg.missing"), "Assignment 'missing' not found.");
    EXPECT_EQ(error<IndexException>("list[0..2]"),
              R"(Variable [ "a", "b" ] cannot be indexed with [0:2:1])");
    EXPECT_EQ(error<IndexException>("list[oneText]"),
              R"(Variable [ "a", "b" ] cannot be indexed with 1)");
    EXPECT_EQ(error<std::invalid_argument>("list[empty]"), "key value is null");
    EXPECT_EQ(error<std::runtime_error>("list[list]"), R"(Unsupported key type: [ "a", "b" ])");
    EXPECT_THROW(context.resolve(ident("cfg[0]")), std::bad_variant_access);
    EXPECT_EQ(error<IdentifierError>("empty[0]"), "Identifier part has no value. empty. <<");
    EXPECT_EQ(error<IdentifierError>("empty.x"), "Identifier part must be context. empty. <<");
}

}  // namespace
}  // namespace Rilk
