#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "types/expander.h"
#include "types/expansion_test_values.h"
#include "types/rilk_errors.h"
#include "types/rilk_string.h"

namespace Rilk {
namespace {

using RilkTest::list;
using RilkTest::raw;

class ReferenceExpansion : public ::testing::Test {
  protected:
    void SetUp() override {
        vars.set("x", makeString("1"));
        vars.set("pq", list({"p", "q"}));
        vars.set("a", makeString("A"));
        vars.set("viaY", makeString("${y}"));
        vars.set("y", makeString("2"));
        vars.set("rawY", raw("${y}"));
        vars.set("brace", makeString("{y2}"));
        vars.set("y2", makeString("z"));
        vars.set("n", list({"${x}", "b"}));
        owner->setResolver(vars.resolver());
    }

    std::string expand(const std::string& text) {
        Expander::NameSet expanding;
        return Expander::expandReferences(text, *owner, expanding);
    }

    RilkTest::Variables vars;
    std::shared_ptr<RilkString> owner = makeString("");
};

TEST_F(ReferenceExpansion, ReplacesEveryReference) {
    const std::pair<const char*, const char*> cases[] = {
        {"a${x}b", "a1b"}, {"a${pq}b", "ap qb"}, {"${X}", "1"},
        {"${a b}", "A"},   {"${a-b}", "A"},      {"${x}${x}-${a}", "11-A"},
        {"${viaY}", "2"},  {"${rawY}", "2"},     {"$${brace}", "z"},
        {"${n}", "1 b"},   {"a}b", "a}b"},       {"no references", "no references"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expand(text), expected) << text;
}

TEST_F(ReferenceExpansion, MissingVariableLogsAtLevelSixAndGivesNothing) {
    RilkTest::VerbosityScope verbose(6);
    testing::internal::CaptureStdout();
    EXPECT_EQ(expand("[${Missing}]"), "[]");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Variable 'Missing' does not exist.\n");
}

TEST_F(ReferenceExpansion, MissingVariableIsQuietAboveLevelSix) {
    RilkTest::VerbosityScope quiet(7);
    testing::internal::CaptureStdout();
    EXPECT_EQ(expand("${missing}"), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ReferenceExpansion, LookupFailuresOfAnyKindCountAsMissing) {
    RilkTest::VerbosityScope quiet(7);
    vars.set("s", makeString("abc"));
    EXPECT_EQ(expand("<${s[9]}>"), "<>");
    const auto orphan = makeString("");
    Expander::NameSet expanding;
    EXPECT_EQ(Expander::expandReferences("<${x}>", *orphan, expanding), "<>");
}

TEST_F(ReferenceExpansion, MalformedReferencesThrowRilkException) {
    const std::pair<const char*, const char*> cases[] = {
        {"${a${b}}", "nested ${} is not allowed"},
        {"${a", "missing '}'"},
        {"ok ${x} then ${", "missing '}'"},
    };
    for (const auto& [text, message] : cases) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const RilkException& e) {
            EXPECT_EQ(e.message(), message) << text;
        }
    }
}

TEST_F(ReferenceExpansion, BadNamesThrowParseError) {
    const struct {
        const char* text;
        std::uint64_t position;
        const char* message;
    } cases[] = {
        {"${}", 0, "Empty identifier"},
        {"${1a}", 0, "Invalid identifier start"},
        {"${a.}", 2, "Expected identifier segment after '.'"},
        {"${a[1}", 3, "Expected ']'"},
    };
    for (const auto& c : cases) {
        try {
            expand(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ParseError& e) {
            EXPECT_EQ(e.position, c.position) << c.text;
            EXPECT_EQ(e.message, c.message) << c.text;
        }
    }
}

TEST_F(ReferenceExpansion, TextReferringBackToItselfThrowsOutOfRange) {
    vars.set("r", raw("${r}"));
    vars.set("p", raw("${q}"));
    vars.set("q", raw("x${P}"));
    for (const auto& [text, name] : {std::pair{"${r}", "r"}, std::pair{"${p}", "P"}}) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), name);
        }
    }
}

TEST_F(ReferenceExpansion, SameNameTwiceSideBySideIsNoLoop) {
    vars.set("twice", raw("${x}${x}"));
    EXPECT_EQ(expand("${twice}${twice}"), "1111");
}

TEST_F(ReferenceExpansion, CallerTextIsNotChanged) {
    const std::string text = "${x}";
    Expander::NameSet expanding;
    EXPECT_EQ(Expander::expandReferences(text, *owner, expanding), "1");
    EXPECT_EQ(text, "${x}");
    EXPECT_TRUE(expanding.empty());
}

}  // namespace
}  // namespace Rilk
