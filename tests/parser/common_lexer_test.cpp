#include "parser/CommonLexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/throwing_error_listener.h"

using Tokens = std::vector<std::string>;

/// The tokens of `text`, each named "NAME", or "NAME:text" where the token has no fixed
/// literal, with "error" where a lexical error was reported.
static Tokens lex(const std::string& text) {
    antlr4::ANTLRInputStream input(text);
    CommonLexer lexer(&input);
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    Tokens tokens;
    for (std::size_t reported = 0;;) {
        auto token = lexer.nextToken();
        for (; reported < listener.messages().size(); ++reported) tokens.push_back("error");
        if (token->getType() == antlr4::Token::EOF) return tokens;
        std::string name = lexer.getVocabulary().getSymbolicName(token->getType());
        if (lexer.getVocabulary().getLiteralName(token->getType()).empty()) {
            name += ":" + token->getText();
        }
        tokens.push_back(name);
    }
}

TEST(CommonLexer, TokenTypesAndRulesFollowTheGrammarOrder) {
    using L = CommonLexer;
    EXPECT_EQ((std::vector<std::size_t>{L::WS, L::ASSIGNEMPTY, L::STRING, L::NUMBER, L::SEMICOLON,
                                        L::UNIT_STR, L::NAME_STR, L::IDENTIFIER}),
              (std::vector<std::size_t>{1, 17, 18, 21, 31, 32, 39, 40}));
    antlr4::ANTLRInputStream input("");
    CommonLexer lexer(&input);
    EXPECT_EQ(lexer.getGrammarFileName(), "CommonLexer.g4");
    ASSERT_EQ(lexer.getRuleNames().size(), 41u);
    EXPECT_EQ(lexer.getRuleNames().back(), "RAW_CONTENT");
    EXPECT_EQ(lexer.getVocabulary().getMaxTokenType(), 40u);
    EXPECT_EQ(lexer.getVocabulary().getLiteralName(CommonLexer::DCOLON), "'::'");
}

TEST(CommonLexer, SplitsTextIntoTokensAndReportsUnknownCharacters) {
    const std::pair<const char*, Tokens> cases[] = {
        // Keywords are reserved and case-sensitive; `units` is longer than `unit`.
        {"unit if import units profiles projects tools name",
         {"UNIT_STR", "IF_STR", "IMPORT_STR", "UNITS_STR", "PROFILES_STR", "PROJECTS_STR",
          "TOOLS_STR", "NAME_STR"}},
        {"Name UNIT tools2", {"IDENTIFIER:Name", "IDENTIFIER:UNIT", "IDENTIFIER:tools2"}},
        // Longer operators win over their prefixes.
        {":: ::: => +> += + != ! >= ?=",
         {"DCOLON", "DCOLON", "COLON", "ALIAS", "MERGE_ALIAS", "APPEND", "PLUS", "NEQUALS", "MUST",
          "GREATER", "EQUALS", "ASSIGNEMPTY"}},
        // Identifiers take '-' and digits after the first character; numbers are digits only.
        {"a-b -12 1abc 1.5",
         {"IDENTIFIER:a-b", "NUMBER:-12", "NUMBER:1", "IDENTIFIER:abc", "NUMBER:1", "DOT",
          "NUMBER:5"}},
        {"a - b - 1", {"IDENTIFIER:a", "error", "IDENTIFIER:b", "error", "NUMBER:1"}},
        {"x=-1 x-=1",
         {"IDENTIFIER:x", "EQUALS", "NUMBER:-1", "IDENTIFIER:x-", "EQUALS", "NUMBER:1"}},
        {"x::y ns/lib::t",
         {"IDENTIFIER:x", "DCOLON", "IDENTIFIER:y", "IDENTIFIER:ns", "SLASH", "IDENTIFIER:lib",
          "DCOLON", "IDENTIFIER:t"}},
        {"ns/unit::t", {"IDENTIFIER:ns", "SLASH", "UNIT_STR", "DCOLON", "IDENTIFIER:t"}},
        {"ns//lib::t", {"IDENTIFIER:ns"}},
        // Raw and path strings: quotes and ')' inside, content ending in ')'.
        {R"--(R"()" R"(say "hi")")--",
         {R"--(RAW_STRING:R"()")--", R"--(RAW_STRING:R"(say "hi")")--"}},
        {R"--(R"(a)b)" R"(a)))")--", {R"--(RAW_STRING:R"(a)b)")--", R"--(RAW_STRING:R"(a)))")--"}},
        {R"--(R"(a))")--", {"IDENTIFIER:R", R"--(STRING:"(a))")--"}},
        {R"--(R"(f(x))" y )" z)--", {R"--(RAW_STRING:R"(f(x))" y )")--", "IDENTIFIER:z"}},
        {R"--(P"(src/*.c)")--", {R"--(PATH_STRING:P"(src/*.c)")--"}},
        {"R\"(line\none)\"", {"RAW_STRING:R\"(line\none)\""}},
        {R"--(r"(x)" Rx R)--",
         {"IDENTIFIER:r", R"--(STRING:"(x)")--", "IDENTIFIER:Rx", "IDENTIFIER:R"}},
        // Comments end at the line break or the first "*/"; strings hide comment marks.
        {"/* a /* b */ x // rest\nb", {"IDENTIFIER:x", "IDENTIFIER:b"}},
        {"\"a // b /* c\nd\"", {"STRING:\"a // b /* c\nd\""}},
        {"\"Grüße\" // ünïcode", {"STRING:\"Grüße\""}},
        // Unknown characters are reported and skipped.
        {"/* a */ */ /* open", {"error", "SLASH", "SLASH", "error", "IDENTIFIER:open"}},
        {"\"a\\\"b\"", {"STRING:\"a\\\"", "IDENTIFIER:b", "error"}},
        {"a\tb\r\nc\fd\ve",
         {"IDENTIFIER:a", "IDENTIFIER:b", "IDENTIFIER:c", "error", "IDENTIFIER:d", "error",
          "IDENTIFIER:e"}},
        {"$ * % & | # ? é", Tokens(8, "error")},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(lex(text), expected) << text;
}
