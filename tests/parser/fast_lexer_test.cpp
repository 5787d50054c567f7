#include "parser/fast_lexer.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

using Kind = FastToken::Kind;

std::vector<std::pair<Kind, std::string>> tokensOf(std::string_view text) {
    FastLexer lexer(text);
    std::vector<std::pair<Kind, std::string>> tokens;
    for (FastToken token = lexer.next(); token.kind != Kind::End; token = lexer.next()) {
        tokens.emplace_back(token.kind, std::string(token.text));
        if (token.kind == Kind::Invalid) break;
    }
    return tokens;
}

TEST(FastLexer, RefusesEveryTextThatIsNotUtf8AndTakesAnyCharacterInStrings) {
    for (int byte = 0; byte < 256; ++byte) {
        // A byte of its own from 0x80 on is never UTF-8.
        const bool utf8 = byte < 0x80;
        // The byte inside a string literal, so that it never starts a token itself, at
        // every place within a machine word, with line breaks and tabs in other words.
        const std::string inside = "x = \"" + std::string(1, static_cast<char>(byte)) + "\"";
        for (std::size_t before = 0; before < 20; ++before) {
            const std::string text =
                std::string(before, ' ') + inside + (before % 2 == 0 ? "\n\t\r\n  x" : " x");
            const auto tokens = tokensOf(text);
            ASSERT_FALSE(tokens.empty());
            EXPECT_EQ(tokens.front().first == Kind::Invalid, !utf8)
                << "byte " << byte << " after " << before;
        }
    }
    // UTF-8 is taken inside strings and comments, and starts no token elsewhere.
    const std::string e = "\xc3\xa9";
    EXPECT_EQ(tokensOf("\"" + e + "\" // " + e + "\n/* " + e + " */ R\"(" + e + ")\""),
              (std::vector<std::pair<Kind, std::string>>{{Kind::String, "\"" + e + "\""},
                                                         {Kind::RawString, "R\"(" + e + ")\""}}));
    EXPECT_EQ(tokensOf("a " + e),
              (std::vector<std::pair<Kind, std::string>>{{Kind::Identifier, "a"},
                                                         {Kind::Invalid, ""}}));
}

TEST(FastLexer, TellsKeywordsFromWordsAlike) {
    const std::pair<const char*, Kind> words[] = {
        {"if", Kind::IfKeyword},
        {"in", Kind::Identifier},
        {"iff", Kind::Identifier},
        {"unit", Kind::UnitKeyword},
        {"unix", Kind::Identifier},
        {"units", Kind::UnitsKeyword},
        {"Unit", Kind::Identifier},
        {"name", Kind::NameKeyword},
        {"names", Kind::Identifier},
        {"tools", Kind::ToolsKeyword},
        {"toolz", Kind::Identifier},
        {"profiles", Kind::ProfilesKeyword},
        {"projects", Kind::ProjectsKeyword},
        {"import", Kind::ImportKeyword},
        {"n", Kind::Identifier},
    };
    for (const auto& [word, kind] : words) {
        const auto tokens = tokensOf(word);
        ASSERT_EQ(tokens.size(), 1u) << word;
        EXPECT_EQ(tokens[0].first, kind) << word;
    }
}

TEST(FastLexer, TellsCommentsFromSlashes) {
    const std::pair<const char*, std::vector<Kind>> cases[] = {
        {"a/b", {Kind::Identifier, Kind::Slash, Kind::Identifier}},
        {"a // b\nc", {Kind::Identifier, Kind::Identifier}},
        {"a /* b */ / c", {Kind::Identifier, Kind::Slash, Kind::Identifier}},
        {"/", {Kind::Slash}},
        {"a /* b", {Kind::Identifier, Kind::Invalid}},
    };
    for (const auto& [text, kinds] : cases) {
        std::vector<Kind> got;
        for (const auto& token : tokensOf(text)) got.push_back(token.first);
        EXPECT_EQ(got, kinds) << text;
    }
}

}  // namespace
}  // namespace Rilk
