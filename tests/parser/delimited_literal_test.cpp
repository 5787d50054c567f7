#include "parser/delimited_literal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/CommonLexer.h"
#include "parser/throwing_error_listener.h"

namespace Rilk {
namespace {

/// Every text of up to `length` characters from `alphabet`.
std::vector<std::string> allTexts(const std::string& alphabet, std::size_t length) {
    std::vector<std::string> texts{""};
    for (std::size_t begin = 0, size = 0; size < length; ++size) {
        const std::size_t end = texts.size();
        for (std::size_t i = begin; i < end; ++i) {
            for (char c : alphabet) texts.push_back(texts[i] + c);
        }
        begin = end;
    }
    return texts;
}

/// Where the generated lexer ends the raw string at the start of `text`, or npos when its
/// first token is no raw string.
std::size_t lexerEnd(const std::string& text) {
    antlr4::ANTLRInputStream input(text);
    CommonLexer lexer(&input);
    ThrowingErrorListener listener("t");
    lexer.removeErrorListeners();
    lexer.addErrorListener(&listener);
    const auto token = lexer.nextToken();
    if (token->getType() != CommonLexer::RAW_STRING) return std::string::npos;
    return token->getStopIndex() + 1;
}

// Texts from the characters that decide the end, after an opening R"(.
TEST(DelimitedLiteral, EndsWhereTheLexerEndsIt) {
    for (const std::string& rest : allTexts(")\"a", 7)) {
        const std::string text = "R\"(" + rest;
        const std::size_t end = delimitedLiteralEnd(text, 3);
        EXPECT_EQ(end, lexerEnd(text)) << text;
        DelimitedLiteralEnds ends(text);
        EXPECT_EQ(ends.endOf(3), end) << text;
    }
}

// The table for every start gives what the scan from each start gives.
TEST(DelimitedLiteral, EveryStartAtOnceAsOneAtATime) {
    for (const std::string& text : allTexts(")\"a", 6)) {
        DelimitedLiteralEnds ends(text);
        for (std::size_t start = 0; start <= text.size() + 1; ++start) {
            EXPECT_EQ(ends.endOf(start), delimitedLiteralEnd(text, start)) << text << " " << start;
        }
    }
}

// Content fits exactly when the lexer reads it back whole; content that fits strictly
// also ends at the first )" after the opening, where the cache's older readers look for it.
TEST(DelimitedLiteral, FittingContentReadsBackWhole) {
    int strictly = 0;
    for (const std::string& content : allTexts(")\"a", 7)) {
        const std::string text = "R\"(" + content + ")\" x";
        const bool whole = lexerEnd(text) == content.size() + 5;
        EXPECT_EQ(fitsDelimitedLiteral(content), whole) << content;
        if (!fitsDelimitedLiteralStrictly(content)) continue;
        ++strictly;
        EXPECT_TRUE(whole) << content;
        EXPECT_EQ(text.find(")\"") + 2, content.size() + 5) << content;
    }
    EXPECT_GT(strictly, 100);
    for (const char* content : {")", "a)", ")\"", "a)\"b", ")))"}) {
        EXPECT_FALSE(fitsDelimitedLiteral(content)) << content;
    }
    for (const char* content : {"", "))", "a))", "))\"", "a)b"}) {
        EXPECT_TRUE(fitsDelimitedLiteral(content)) << content;
    }
}

}  // namespace
}  // namespace Rilk
