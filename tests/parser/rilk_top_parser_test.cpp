#include "parser/RilkTopParser.h"

#include "parser/parser_test_support.h"

/// Texts grouped by the entry rule they are parsed from.
using Texts = std::vector<std::pair<Entry, std::vector<const char*>>>;

TEST(RilkTopParser, AcceptsTheLanguage) {
    const Texts groups = {
        {Entry::Unit,
         {"", "t: { Name = 1 UNIT = 2 tools2 = 3 if a { } x = [] }",
          "t: lib::t ns/lib::t { } u(a, b): t { } // comment\n/* block */",
          "unit core lib(mode): +base other/util::fmt @gen(x, .) => srcs { ^out = libname "
          "if mode = debug { FLAGS += extra } }"}},
        {Entry::Project,
         {"", R"(name demo import { "../libs" libs (release); dbg: shared; } tools { } )"
              R"(units { core { "core/units.txt" } } profiles { release { OPT = 2 } })"}},
        {Entry::Registry,
         {"", R"(projects { app "/srv/app" } tools { gcc { tool_type = "gnu-gcc" } })"}},
        {Entry::Assignment, {R"--(^a += [1, x.y[0][1:2][R"(re)"], P"(p)", { z = 1 }])--"}}};
    for (const auto& [entry, texts] : groups) {
        for (const char* text : texts) {
            EXPECT_EQ(syntaxErrors(entry, text), std::vector<std::string>{}) << text;
        }
    }
}

TEST(RilkTopParser, RejectsWhatTheLanguageLacks) {
    // Sections stand in a fixed order, each at most once; keywords are not names.
    const Texts groups = {
        {Entry::Project,
         {"units { } tools { }", "units { } units { }", "profiles { } name x", "import { a }"}},
        {Entry::Registry, {"tools { } projects { }"}},
        {Entry::Unit,
         {"t: { name = 1 }", "t: { unit = 1 }", "t: { tools = 1 }", "t: { if = 1 }",
          "t: { if a >= 2 { } }", "t: { x = [1, 2,] }", "t: ns/t { }", "t(): a { }",
          "t: { } trailing", "t: { a.b = 1 }"}}};
    for (const auto& [entry, texts] : groups) {
        for (const char* text : texts) EXPECT_FALSE(syntaxErrors(entry, text).empty()) << text;
    }
}

TEST(RilkTopParser, RuleIndicesAndNamesAreFixed) {
    Parsed parsed("");
    auto& parser = parsed.chain.parser();
    EXPECT_EQ(parser.getGrammarFileName(), "RilkTopParser.g4");
    ASSERT_EQ(parser.getRuleNames().size(), 51u);
    EXPECT_EQ(parser.getRuleNames()[28], "rilkUnit");
    EXPECT_EQ(parser.getRuleNames()[50], "profiles");
    EXPECT_EQ(parsed.chain.unitFile()->rilkUnit()->getRuleIndex(), 28u);
    EXPECT_EQ(RilkTopParser::RuleProfiles, 50);
    EXPECT_EQ(parser.getVocabulary().getLiteralName(RilkTopParser::LBRACKET), "'('");
}
