#include <gmock/gmock.h>

#include <stdexcept>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

class ReferenceExpansion : public ::testing::Test {
protected:
    ReferenceExpansion() {
        for (const auto& [name, text] :
             {std::pair{"x", "1"}, std::pair{"a", "A"}, std::pair{"viaY", "${y}"},
              std::pair{"y", "2"}, std::pair{"brace", "{y2}"}, std::pair{"y2", "z"}}) {
            set(vars, name, str(text));
        }
        set(set(vars, "pq", strings({"p", "q"})), "rawY", raw("${y}"));
        set(set(set(vars, "r", raw("${r}")), "p", raw("${q}")), "q", raw("x${P}"));
    }

    template <typename Error = RilkException>
    std::string expand(const std::string& text) {
        std::string result;
        const std::string error =
            errorText<Error>([&] { result = resolveIn(vars, text)->toString(); });
        return error == "no error" ? result : "error " + error;
    }

    Context vars;
};

TEST_F(ReferenceExpansion, ReplacesEveryReferenceAndRescans) {
    const std::pair<const char*, const char*> cases[] = {
        {"a${x}b", "a1b"},
        {"a${pq}b", "ap qb"},
        {"${X}", "1"},
        {"${a b}", "A"},
        {"${a-b}", ""},  // one name, as an assignment writes it: no variable "a-b" here
        {"${viaY}", "2"},
        {"${rawY}", "2"},
        {"$${brace}", "z"},
        {"a}b", "a}b"},
        {"", ""},
        {"${x}${x}", "11"},
        {"${a${b}}", "error nested ${} is not allowed"},
        {"${a", "error missing '}'"},
        {"ok ${x} ${", "error missing '}'"}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(expand(text), expected) << text;
    EXPECT_EQ(expand<ParseError>("${}"), "error 0: Empty identifier");
    EXPECT_EQ(expand<ParseError>("${1a}"), "error 0: Invalid identifier start");
    EXPECT_EQ(expand<ParseError>("${a.}"), "error 2: Expected identifier segment after '.'");
    // A text referring back to a name being expanded.
    EXPECT_EQ(expand<ValueError>("${r}"),
              "error Reference '${r}' expands to a text that refers to 'r' again.");
    EXPECT_EQ(expand<ValueError>("${p}"),
              "error Reference '${P}' expands to a text that refers to 'P' again.");
}

TEST_F(ReferenceExpansion, VariableThatCannotBeHadIsLoggedAtLevelSixAndGivesNothing) {
    const std::string log = capture(6, [this] {
        EXPECT_EQ(expand("[${Missing}|${x[9]}]"), "[|]");
        EXPECT_EQ(str("<${x}>")->resolve()->toString(), "<>");  // a string without resolver
    });
    EXPECT_EQ(log,
              "Variable 'Missing' does not exist.\nVariable 'x[9]' does not exist.\n"
              "Variable 'x' does not exist.\n");
}

TEST_F(ReferenceExpansion, ReferencesFormedWhereAReplacementMeetsItsNeighboursAreReplaced) {
    set(set(set(vars, "dollar", str("$")), "open", str("{x")), "tw", str("{tw}{tw}$$"));
    const std::pair<const char*, const char*> cases[] = {
        {"${dollar}{x}", "1"},
        {"${dollar}${dollar}{x}", "$1"},
        {"$${open}}", "1"},
        {"$${open}${x}}", "error nested ${} is not allowed"},
        {"${dollar}{x", "error missing '}'"},
        {"${tw}", "{tw}{tw}$$"}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(expand(text), expected) << text;
    EXPECT_THAT(expand("${tw}{tw}"), ::testing::HasSubstr("forms more than 65536 references"));
}

TEST_F(ReferenceExpansion, TextsExpandAlikeWhetherWrittenOrBroughtByAGroupsElement) {
    // The references of a written text are expanded without keeping where each character
    // came from; those of a group's element are expanded keeping it. Both must agree in
    // the text, the error and the log.
    set(set(set(vars, "dollar", str("$")), "open", str("{x")), "nothing", str(""));
    const auto outcome = [this](const std::string& text) {
        std::string result;
        const std::string log = capture(6, [&] {
            try {
                result = resolveIn(vars, text)->toString();
            } catch (const ParseError& e) {
                result = "error " + std::to_string(e.position) + ": " + e.message;
            } catch (const RilkException& e) {
                result = "error " + e.message();
            } catch (const std::exception& e) {
                result = std::string("error ") + e.what();
            }
        });
        return result + "|" + log;
    };
    for (const char* text : {"a${x}b",
                             "${pq}",
                             "${X}",
                             "${a b}",
                             "${a-b}",
                             "${viaY}",
                             "${rawY}",
                             "$${brace}",
                             "a}b",
                             "",
                             "${x}${x}",
                             "${a${b}}",
                             "${a",
                             "ok ${x} ${",
                             "${dollar}{x}",
                             "${dollar}${dollar}{x}",
                             "$${open}}",
                             "$${open}${x}}",
                             "${dollar}{x",
                             "[${Missing}|${x[9]}]",
                             "${}",
                             "${1a}",
                             "${a.}",
                             "${r}",
                             "${p}",
                             "${nothing}${dollar}{x}",
                             "$${nothing}{x}",
                             "${_}"}) {
        set(vars, "element", list({raw(text)}));
        EXPECT_EQ(outcome(text), outcome("#{element}")) << text;
    }
}
