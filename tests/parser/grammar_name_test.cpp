#include "parser/grammar_name.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(GrammarName, AcceptsExactlyTheNamesTheLanguageReadsAsOneName) {
    const std::string notAName =
        "a name starts with a letter or '_' and holds only letters, digits, '_' and '-'";
    const std::pair<std::string, std::string> cases[] = {
        {"app", ""},
        {"_my-app2", ""},
        {"Units", ""},
        {"unitsx", ""},
        {"", "it is empty"},
        {"units", "it is a keyword of the language"},
        {"name", "it is a keyword of the language"},
        {"my app", notAName},
        {"1app", notAName},
        {"core{", notAName},
        {"a//b", notAName},
        {"-x", notAName},
        {"caf\xc3\xa9", notAName},
        {"\xff", "it is not valid UTF-8"},
    };
    for (const auto& [name, reason] : cases) {
        EXPECT_EQ(Rilk::invalidNameReason(name), reason) << name;
    }
}

}  // namespace
