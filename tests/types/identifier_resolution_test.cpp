#include <stdexcept>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

class IdentifierResolution : public ::testing::Test {
protected:
    IdentifierResolution() {
        set(set(context, "list", list({raw("a"), raw("b")})), "text", raw("hello"));
        set(set(context, "one", num(1)), "oneText", raw("1"));
        set(context, "empty", nullptr, AssignType::Declare);
        set(*inner, "name", ref("other"));
        set(set(context, "cfg", nested(inner)), "other", raw("found"));
        set(context, "refs", list({ref("other"), nested(inner)}));
    }

    std::string text(const std::string& identifier) {
        const RilkValuePtr value = context.resolve(ident(identifier));
        return value ? value->toString() : "<null>";
    }

    template <typename Error>
    std::string error(const std::string& identifier) {
        return errorText<Error>([&] { context.resolve(ident(identifier)); });
    }

    Context context;
    ContextPtr inner = std::make_shared<Context>();
};

TEST_F(IdentifierResolution, FindsPlainIndexedAndDottedNamesWhereTheyLive) {
    EXPECT_EQ(text("empty"), "<null>");
    EXPECT_EQ(text("TEXT"), "hello");
    EXPECT_EQ(text("list[1]"), "b");
    EXPECT_EQ(text("text[1..3]"), "el");
    EXPECT_EQ(text("list[one]"), "b");
    EXPECT_EQ(text("refs[1].name"), "found");
    // The designated variable is resolved and cached where it lives.
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
    EXPECT_EQ(error<NotFoundException>("a.b"), "Variable 'a' not found.");
    EXPECT_EQ(error<NotFoundException>("a[0]"), "Variable 'a' not found.");
    EXPECT_EQ(error<IdentifierError>("text.b"), "Identifier part must be context. text. <<");
    EXPECT_EQ(error<NotFoundException>("cfg.missing"), "Assignment 'missing' not found.");
    EXPECT_EQ(error<IndexException>("list[0..2]"),
              R"(Variable [ "a", "b" ] cannot be indexed with [0:2:1])");
    EXPECT_EQ(error<IndexException>("list[oneText]"),
              R"(Variable [ "a", "b" ] cannot be indexed with 1)");
    EXPECT_EQ(error<ValueError>("list[empty]"),
              "Index 'empty' has no value; an index must be a number or a name.");
    EXPECT_EQ(error<ValueError>("list[list]"),
              R"(Index 'list' is [ "a", "b" ]; an index must be a number or a name.)");
    EXPECT_EQ(error<ValueError>("cfg[0]"),
              "A context value (holding name) cannot be indexed with [0]; name one of its "
              "variables instead.");
    EXPECT_EQ(error<IdentifierError>("empty[0]"), "Identifier part has no value. empty. <<");
    EXPECT_EQ(error<IdentifierError>("empty.x"), "Identifier part must be context. empty. <<");
}

TEST(ContextResolution, AnErrorInAVariablesValueNamesTheInnermostVariable) {
    Context context;
    set(set(context, "cfg", nested(std::make_shared<Context>())), "text", raw("abc"));
    set(set(context, "outer", ref("inner")), "inner", ref("cfg[0]"));
    set(set(context, "missing", ref("nothing")), "range", ref("text[7..9]"));
    set(set(context, "empty", str("a${}b")), "self", ref("self"));
    const std::pair<const char*, const char*> cases[] = {
        {"outer",
         "Variable 'inner': A context value (holding ) cannot be indexed with [0]; name one of "
         "its variables instead."},
        {"missing", "Variable 'missing': Assignment 'nothing' not found."},
        {"range", "Variable 'range': Variable \"abc\" cannot be indexed with [7:9:1]"},
        {"empty",
         "Variable 'empty', value \"a${}b\": Empty identifier (at position 0 of the name)"},
    };
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(errorText<VariableError>([&] { context.resolve(ident(name)); }), message) << name;
    }
    // A loop names its variables already and stays what it is.
    EXPECT_EQ(errorText<LoopFoundException>([&] { context.resolve(ident("self")); }),
              "Loop detected! Causing term: 'self'\n  loop goes as follows: self <- ");
}

TEST(ContextResolution, AVariableThatNeedsItselfIsALoop) {
    Context context;
    set(set(set(context, "x", ref("x")), "a", ref("b")), "b", ref("a"));
    set(context, "l", list({ref("l[0]")}));
    auto inner = std::make_shared<Context>();
    set(*inner, "y", ref("cfg"));
    set(context, "cfg", nested(inner));
    const auto loop = [&](const char* name) {
        return errorText<LoopFoundException>([&] { context.resolve(ident(name)); });
    };
    EXPECT_EQ(loop("x"), "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
    EXPECT_EQ(loop("a"), "Loop detected! Causing term: 'a'\n  loop goes as follows: b <- a <- ");
    EXPECT_EQ(loop("l").find("Causing term: 'l[0]'"), 15u);
    EXPECT_EQ(loop("cfg").find("Causing term: 'cfg'"), 15u);
    EXPECT_FALSE(context.assignments.at("a").resolved);
    // Nothing stays marked after a loop: a variable used in one still resolves elsewhere.
    set(context, "b", raw("fine"));
    EXPECT_EQ(context.resolve(ident("a"))->toString(), "fine");
}

TEST(ContextResolution, AVariableTakingAnothersValueOwnsIt) {
    const std::pair<const char*, RilkValuePtr> values[] = {
        {"a plain text", str("b")}, {"a raw text", raw("b")}, {"a list", strings({"b"})}};
    for (const auto& [what, value] : values) {
        Context context;
        set(set(context, "y", value), "x", ref("y"));
        context.resolveAll();
        context.addAssignment(assign("x", str("a"), AssignType::Append), kKeepModifier);
        context.addAssignment(assign("y", str("c"), AssignType::Append), kKeepModifier);
        context.resolveAll();
        EXPECT_EQ(textOf(context, "x"), "b a") << what;
        EXPECT_EQ(textOf(context, "y"), "b c") << what;
    }
}
