#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser/RilkTopParser.h"
#include "parser/parse_chain.h"
#include "parser/throwing_error_listener.h"

namespace {

enum class Entry { Registry, Unit, Project, Assignment };

/// The messages of every lexical and syntax error of parsing `text` from `entry`.
std::vector<std::string> syntaxErrors(Entry entry, const std::string& text) {
    Rilk::ParseChain chain(text, "t");
    ThrowingErrorListener listener("t");
    chain.useErrorListener(listener);
    switch (entry) {
        case Entry::Registry:
            chain.registryFile();
            break;
        case Entry::Unit:
            chain.unitFile();
            break;
        case Entry::Project:
            chain.projFile();
            break;
        case Entry::Assignment:
            chain.assignment();
            break;
    }
    return listener.messages();
}

struct ParseCase {
    Entry entry;
    const char* text;
};

class RilkTopParserAccepts : public testing::TestWithParam<ParseCase> {};

TEST_P(RilkTopParserAccepts, ParsesWithoutError) {
    auto errors = syntaxErrors(GetParam().entry, GetParam().text);
    EXPECT_TRUE(errors.empty()) << GetParam().text << "\n" << errors.front();
}

INSTANTIATE_TEST_SUITE_P(
    Examples, RilkTopParserAccepts,
    testing::Values(
        ParseCase{Entry::Unit,
                  "unit core lib(mode): +base other/util::fmt @gen(x, .) => srcs { ^out = "
                  "libname if mode = debug { FLAGS += extra } }"},
        ParseCase{Entry::Project,
                  "name demo import { \"../libs\" libs (release); dbg: shared; } tools { } "
                  "units { core { \"core/units.txt\" } } profiles { release { OPT = 2 } }"},
        ParseCase{Entry::Registry,
                  "projects { app \"/srv/app\" } tools { gcc { tool_type = \"gnu-gcc\" } }"},
        ParseCase{Entry::Assignment, "^a += [1, x.y[0][1:2][R\"(re)\"], P\"(p)\", { z = 1 }]"},
        ParseCase{Entry::Registry, ""}, ParseCase{Entry::Unit, ""}, ParseCase{Entry::Project, ""},
        ParseCase{Entry::Project, "units { } profiles { }"},
        ParseCase{Entry::Unit, "t: { Name = 1 UNIT = 2 tools2 = 3 }"},
        ParseCase{Entry::Unit, "t: { if a { } if a != \"x\" { } if n < 3 { } if n > 3 { } }"},
        ParseCase{Entry::Unit, "t: { x = [] y = [1] z ?= [a, \"b\", [c, d]] }"},
        ParseCase{Entry::Unit, "t: lib::t ns/lib::t + x => y z +> w { }"},
        ParseCase{Entry::Unit, "t: { } u(a, b): t { } // comment\n/* block */"},
        ParseCase{Entry::Project, "import { a; p: b (q); \"x\"; \"y\" ns; \"z\" ns (p); }"},
        ParseCase{Entry::Registry, "tools { gcc { !must = 1 if a { !b = 2 } } }"}));

class RilkTopParserRejects : public testing::TestWithParam<ParseCase> {};

TEST_P(RilkTopParserRejects, ReportsASyntaxError) {
    EXPECT_FALSE(syntaxErrors(GetParam().entry, GetParam().text).empty()) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, RilkTopParserRejects,
    testing::Values(
        // Sections stand in a fixed order, each at most once.
        ParseCase{Entry::Project, "units { } tools { }"},
        ParseCase{Entry::Project, "units { } units { }"},
        ParseCase{Entry::Project, "profiles { } name x"},
        ParseCase{Entry::Registry, "tools { } projects { }"},
        // Keywords are not names.
        ParseCase{Entry::Unit, "t: { name = 1 }"}, ParseCase{Entry::Unit, "t: { unit = 1 }"},
        ParseCase{Entry::Unit, "t: { tools = 1 }"}, ParseCase{Entry::Unit, "t: { if = 1 }"},
        ParseCase{Entry::Unit, "t: { if a >= 2 { } }"},
        ParseCase{Entry::Unit, "t: { x = [1, 2,] }"}, ParseCase{Entry::Unit, "t: ns/t { }"},
        ParseCase{Entry::Unit, "t(): a { }"}, ParseCase{Entry::Project, "import { a }"},
        ParseCase{Entry::Unit, "t: { } trailing"}, ParseCase{Entry::Unit, "t: { a.b = 1 }"},
        // Lexical errors reach the same listener.
        ParseCase{Entry::Unit, "t: { a = $ }"}, ParseCase{Entry::Registry, "#"},
        ParseCase{Entry::Assignment, "CFLAGS ="}, ParseCase{Entry::Assignment, "= x"},
        ParseCase{Entry::Assignment, "name = x"}));

/// Parses one text and keeps the chain alive for inspecting the tree.
struct Parsed {
    explicit Parsed(const std::string& text) : chain(text, "t") {
        chain.useErrorListener(listener);
    }
    Rilk::ParseChain chain;
    ThrowingErrorListener listener{"t"};
};

TEST(RilkTopParser, DependencyParametersAreToldApartFromTheContext) {
    Parsed parsed("t: a (x) { }");
    auto* unit = parsed.chain.unitFile();
    ASSERT_TRUE(parsed.listener.messages().empty());
    auto* target = unit->rilkUnit()->target(0);
    ASSERT_EQ(target->dependency().size(), 1u);
    auto* dependency = target->dependency(0);
    EXPECT_EQ(dependency->dependency_identifier()->getText(), "a");
    ASSERT_EQ(dependency->dependency_parameter().size(), 1u);
    EXPECT_EQ(dependency->dependency_parameter(0)->getText(), "x");
    EXPECT_TRUE(target->context()->assignment().empty());
}

TEST(RilkTopParser, LayoutNeverSeparatesAssignments) {
    Parsed parsed("t: { a b = 1 }");
    auto* context = parsed.chain.unitFile()->rilkUnit()->target(0)->context();
    ASSERT_EQ(context->assignment().size(), 2u);
    EXPECT_EQ(context->assignment(0)->getText(), "a");
    EXPECT_EQ(context->assignment(1)->getText(), "b=1");
    EXPECT_EQ(context->assignment(1)->assign_operator()->getText(), "=");
}

TEST(RilkTopParser, AProjectUriIsAlwaysAPath) {
    Parsed parsed("projects { app \"/srv/app\" }");
    auto* project = parsed.chain.registryFile()->rilkRegistry()->projects()->project(0);
    EXPECT_NE(project->uri()->path(), nullptr);
    EXPECT_EQ(project->uri()->url(), nullptr);
}

TEST(RilkTopParser, AssignmentRuleStopsAfterOneAssignment) {
    Parsed parsed("a = 1 b");
    auto* assignment = parsed.chain.assignment();
    EXPECT_TRUE(parsed.listener.messages().empty());
    EXPECT_EQ(assignment->getText(), "a=1");
    EXPECT_FALSE(parsed.chain.atEnd());
}

TEST(RilkTopParser, RuleIndicesAndNamesAreFixed) {
    Parsed parsed("");
    auto& parser = parsed.chain.parser();
    EXPECT_EQ(parser.getGrammarFileName(), "RilkTopParser.g4");
    ASSERT_EQ(parser.getRuleNames().size(), 51u);
    EXPECT_EQ(parser.getRuleNames()[28], "rilkUnit");
    EXPECT_EQ(parser.getRuleNames()[50], "profiles");
    auto* unit = parsed.chain.unitFile();
    EXPECT_EQ(unit->rilkUnit()->getRuleIndex(), 28u);
    EXPECT_EQ(RilkTopParser::RuleProfiles, 50);
    EXPECT_EQ(parser.getVocabulary().getLiteralName(RilkTopParser::LBRACKET), "'('");
}

TEST(RilkTopParser, ForeignVisitorVisitsChildren) {
    struct TerminalCounter : antlr4::tree::AbstractParseTreeVisitor {
        antlrcpp::Any visitTerminal(antlr4::tree::TerminalNode*) override {
            ++count;
            return nullptr;
        }
        int count = 0;
    } counter;
    Parsed parsed("a = [1, 2]");
    parsed.chain.assignment()->accept(&counter);
    EXPECT_EQ(counter.count, 7);
}

TEST(RilkTopParser, SyntaxErrorNamesFileLineAndColumn) {
    auto errors = syntaxErrors(Entry::Project, "name p\nunits {\n  core { \"a\" }\n  }\n}");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "t(5,0): '}' extraneous input '}' expecting <EOF>");
}

}  // namespace
