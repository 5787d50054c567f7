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
        for (const auto& [name, text] :
             {std::pair{"x", "1"}, std::pair{"a", "A"}, std::pair{"viaY", "${y}"},
              std::pair{"y", "2"}, std::pair{"brace", "{y2}"}, std::pair{"y2", "z"}}) {
            vars.set(name, makeString(text));
        }
        vars.set("pq", list({"p", "q"}));
        vars.set("rawY", raw("${y}"));
        vars.set("r", raw("${r}"));
        vars.set("p", raw("${q}"));
        vars.set("q", raw("x${P}"));
        owner->setResolver(vars.resolver());
    }

    std::string expand(const std::string& text) {
        Expander::NameSet expanding;
        return Expander::expandReferences(text, *owner, expanding);
    }

    RilkTest::Variables vars;
    std::shared_ptr<RilkString> owner = makeString("");
};

TEST_F(ReferenceExpansion, ReplacesEveryReferenceAndRescans) {
    const std::pair<const char*, const char*> cases[] = {
        {"a${x}b", "a1b"}, {"a${pq}b", "ap qb"}, {"${X}", "1"},
        {"${a b}", "A"},   {"${a-b}", "A"},      {"${viaY}", "2"},
        {"${rawY}", "2"},  {"$${brace}", "z"},   {"a}b", "a}b"},
        {"", ""},          {"${x}${x}", "11"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(expand(text), expected) << text;
}

TEST_F(ReferenceExpansion, VariableThatCannotBeHadIsLoggedAtLevelSixAndGivesNothing) {
    const std::string log = RilkTest::capture(6, [this] {
        EXPECT_EQ(expand("[${Missing}|${x[9]}]"), "[|]");
        const auto orphan = makeString("");
        Expander::NameSet expanding;
        EXPECT_EQ(Expander::expandReferences("<${x}>", *orphan, expanding), "<>");
    });
    EXPECT_EQ(log,
              "Variable 'Missing' does not exist.\nVariable 'x[9]' does not exist.\n"
              "Variable 'x' does not exist.\n");
}

TEST_F(ReferenceExpansion, MalformedReferencesThrow) {
    for (const auto& [text, message] :
         {std::pair{"${a${b}}", "nested ${} is not allowed"}, std::pair{"${a", "missing '}'"},
          std::pair{"ok ${x} ${", "missing '}'"}}) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const RilkException& e) {
            EXPECT_EQ(e.message(), message) << text;
        }
    }
    for (const auto& [text, position, message] :
         {std::tuple{"${}", 0u, "Empty identifier"},
          std::tuple{"${1a}", 0u, "Invalid identifier start"},
          std::tuple{"${a.}", 2u, "Expected identifier segment after '.'"}}) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const ParseError& e) {
            EXPECT_EQ(e.position, position) << text;
            EXPECT_EQ(e.message, message) << text;
        }
    }
}

TEST_F(ReferenceExpansion, TextReferringBackToANameBeingExpandedThrowsOutOfRange) {
    for (const auto& [text, name] : {std::pair{"${r}", "r"}, std::pair{"${p}", "P"}}) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), name);
        }
    }
}

}  // namespace
}  // namespace Rilk
