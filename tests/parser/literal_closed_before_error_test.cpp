#include "parser/literal_closed_before_error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

/// Each literal found as "start line:column-closing line:column", "P" before a path string.
std::vector<std::string> found(const std::string& text,
                               const std::vector<Rilk::ErrorPlace>& errors) {
    std::vector<std::string> shown;
    for (const Rilk::LiteralBeforeError& literal : Rilk::literalsClosedBeforeErrors(text, errors)) {
        shown.push_back((literal.path ? "P" : "") + std::to_string(literal.start.line) + ":" +
                        std::to_string(literal.start.column) + "-" +
                        std::to_string(literal.closing.line) + ":" +
                        std::to_string(literal.closing.column));
    }
    return shown;
}

TEST(LiteralsClosedBeforeErrors, TheLastLiteralEndingOnAnErrorsLineBeforeIt) {
    const struct {
        const char* about;
        std::string text;
        std::vector<Rilk::ErrorPlace> errors;
        std::vector<std::string> literals;
    } cases[] = {
        {"the error right after", "a: { c = R\"(v=\"$(x)\"; y)\" }", {{1, 20}}, {"1:9-1:18"}},
        {"two errors after one literal, in any order",
         "a: { c = R\"(v=\"$(x)\"; y)\" }",
         {{1, 25}, {1, 20}},
         {"1:9-1:18"}},
        {"the second of two on the line",
         "a: { c = R\"(1)\" d = P\"(x)\"y)\" }",
         {{1, 27}},
         {"P1:20-1:24"}},
        {"columns in characters: \u00e9 is one",
         "a: { d = \"\u00e9\" c = R\"(v=\"$(x)\"; y)\" }",
         {{1, 28}},
         {"1:17-1:26"}},
        {"one that started lines before",
         "a: { c = R\"(x\n\n  \"$(x)\" ;)\" }",
         {{3, 9}},
         {"1:9-3:6"}},
        {"after characters that start no token",
         "a: { % x = $ }\n~ b: { c = R\"(\"$(x)\"; y)\" }",
         {{1, 5}, {1, 11}, {2, 0}, {2, 20}},
         {"2:11-2:18"}},
        {"an error on a later line", "a: { c = R\"(x)\"\n ; }", {{2, 1}}, {}},
        {"an error before it", "a: { ; c = R\"(x)\" }", {{1, 5}}, {}},
        {"an error inside its closing", "a: { c = R\"(x)\" }", {{1, 14}}, {}},
        {"no literal at all", "a: { c = \"x\" ; }", {{1, 13}}, {}},
        {"no error", "a: { c = R\"(x)\" ; }", {}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(found(c.text, c.errors), c.literals) << c.about;
}

}  // namespace
