#include "parser/name_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "parser/CommonLexer.h"
#include "parser/throwing_error_listener.h"

namespace Rilk {
namespace {

/// The generated lexer's tokens of `text` (type and text), or none when it reports an error.
std::vector<std::pair<std::size_t, std::string>> lexed(const std::string& text) {
    antlr4::ANTLRInputStream input(text);
    CommonLexer lexer(&input);
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    std::vector<std::pair<std::size_t, std::string>> tokens;
    for (const auto& token : lexer.getAllTokens()) {
        tokens.emplace_back(token->getType(), token->getText());
    }
    if (!listener.messages().empty()) tokens.clear();
    return tokens;
}

/// Whether the generated lexer reads `text` as exactly one name or keyword token.
bool lexedAsOneName(const std::string& text) {
    const auto tokens = lexed(text);
    if (tokens.size() != 1 || tokens[0].second != text) return false;
    const std::size_t type = tokens[0].first;
    return type == CommonLexer::IDENTIFIER ||
           (type >= CommonLexer::UNIT_STR && type <= CommonLexer::NAME_STR);
}

TEST(NameRules, KeywordsAreTheLexersKeywordTokensInTheirOrder) {
    antlr4::ANTLRInputStream input("");
    CommonLexer lexer(&input);
    ASSERT_EQ(CommonLexer::NAME_STR - CommonLexer::UNIT_STR + 1, kKeywords.size());
    for (std::size_t i = 0; i < kKeywords.size(); ++i) {
        EXPECT_EQ(lexer.getVocabulary().getLiteralName(CommonLexer::UNIT_STR + i),
                  "'" + std::string(kKeywords[i]) + "'");
        EXPECT_EQ(keywordIndex(kKeywords[i]), static_cast<int>(i));
        EXPECT_EQ(lexed(std::string(kKeywords[i]))[0].first, CommonLexer::UNIT_STR + i);
    }
}

// Every byte below 128 as the first and as a later character of a name; bytes from 128 on
// are no characters of their own to the lexer, which decodes UTF-8.
TEST(NameRules, NameCharactersAreTheLexers) {
    for (int byte = 1; byte < 128; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(isNameStart(c), lexedAsOneName(std::string(1, c))) << byte;
        EXPECT_EQ(isNameChar(c), lexedAsOneName(std::string("a") + c)) << byte;
    }
    for (int byte = 128; byte < 256; ++byte) {
        EXPECT_FALSE(isNameStart(static_cast<char>(byte)) || isNameChar(static_cast<char>(byte)));
    }
}

TEST(NameRules, PlainVariableNamesAreNamesButNoKeywords) {
    const std::pair<const char*, bool> cases[] = {
        {"unit", false},
        {"if", false},
        {"import", false},
        {"units", false},
        {"profiles", false},
        {"projects", false},
        {"tools", false},
        {"name", false},
        {"Unit", true},
        {"IF", true},
        {"units2", true},
        {"nam", true},
        {"names", true},
        {"profile", true},
        {"projectss", true},
        {"i", true},
        {"_", true},
        {"a-b_9", true},
        {"os_family", true},
        {"", false},
        {"9a", false},
        {"-a", false},
        {"a b", false},
        {"a.b", false},
        {"caf\xc3\xa9", false},
    };
    for (const auto& [name, plain] : cases) {
        EXPECT_EQ(isPlainVariableName(name), plain) << name;
        EXPECT_EQ(isPlainVariableName(name), lexedAsOneName(name) && !isKeyword(name)) << name;
    }
}

TEST(NameRules, InvalidNameReasonSaysWhyTheLanguageReadsNoOneName) {
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
        EXPECT_EQ(invalidNameReason(name), reason) << name;
        if (name != "\xff") {
            EXPECT_EQ(reason.empty(), lexedAsOneName(name) && !isKeyword(name)) << name;
        }
    }
}

}  // namespace
}  // namespace Rilk
