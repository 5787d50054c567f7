#include "app/cache/file/cache_assignment_reader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "parser/source_writer.h"
#include "app/cache/cache_test_support.h"
#include "app/cache/cache_equality.h"
#include "parser/legacy_path_literals.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

/// Everything about a value that a reader decides: concrete type, text, base directory,
/// elements and block variables.
std::string describe(const RilkValuePtr& value) {
    if (!value) return "null";
    if (auto* p = dynamic_cast<RilkPathString*>(value.get())) {
        return "P(" + p->baseDirectory().string() + "|" + p->text() + ")";
    }
    if (auto* r = dynamic_cast<RilkRawString*>(value.get())) return "R(" + r->text() + ")";
    if (auto* s = dynamic_cast<RilkString*>(value.get())) return "S(" + s->text() + ")";
    if (auto* n = dynamic_cast<RilkInt*>(value.get())) return "I(" + n->toString() + ")";
    if (auto* l = dynamic_cast<RilkList*>(value.get())) {
        std::string text = "L[";
        for (const auto& e : l->elements()) text += describe(e) + ",";
        return text + "]";
    }
    if (auto* c = dynamic_cast<RilkContext*>(value.get())) {
        std::string text = "C{";
        for (const auto& [name, a] : c->context()->assignments) {
            text += a.name + " " + std::to_string(static_cast<int>(a.type)) + " " +
                    std::to_string(static_cast<int>(a.modifier)) + " " + describe(a.value) + ";";
        }
        return text + std::to_string(c->context()->conditions.size()) + "}";
    }
    return value->typeName() + "(" + value->toString() + ")";
}

std::string describe(const std::optional<Assignment>& a) {
    if (!a) return "none";
    return a->name + " " + std::to_string(static_cast<int>(a->type)) + " " +
           std::to_string(static_cast<int>(a->modifier)) + " " + describe(a->value);
}

/// Texts the fast reader must either read exactly as the grammar does or decline.
std::vector<std::string> edgeCases() {
    // clang-format off
    return {
        "X", "  X  ", "X = ", "X += ", "X ?= ", "X : ", "X =", "X=\"a\"", "X = \"a\" ",
        "X = \"a\"\"b\"", "X = \"unterminated", "X = abc", "X = [a]", "X = 12abc", "X = -5",
        "X = - 5", "X = 2147483648", "X = -2147483649", "X = 0007", "X = []", "X = [ ]",
        "X = [1,]", "X = [,1]", "X = [[1, 2], 3]", "X = [\"a\" \"b\"]", "X = {}",
        "X = { a }", "X = { a b = 1 }", "X = { ^a = 1 }", "X = { !a = 1 }", "X = { if a { } }",
        "X = { a = 1b = 2 }", "X = { a = 1-2 }", "X = { unit = 1 }", "X = { a = b }",
        "X = R\"(a)\"", "X = R\"()\"", "X = R\"(a))\"", "X = R\"(a)b)\"", "X = R\"(a))b)\"",
        "X = R\"(a)\"\")\"", "X = R\"(no end", "X = P\"(/p)\"", "X = P\"/p\"", "X = P\"/p)\"",
        "X = P\"(/p\"", "X = P\"/a\nb\"", "X = [P\"/a\", P\"(/b)\"]", "X = \"P\\\"/a\\\"\"",
        "X = \"x P\"/a\"", "X = R\"(P\"/a\")\"", "X = XP\"/a\"", "X = 1 // comment",
        "X = /* c */ 1", "X => 1", "X +> 1", "X == 1", "^X = 1", "!X = 1", "unit = 1",
        "name = 1", "1X = 1", "X-1 = 1", "_ = 1", "X = \"\xff\"", "X = \"a\xc3\"",
        std::string("X = \"a\0b\"", 9), "X = \"\xef\xbf\xbf\"", "X\t=\r\n\"a\"",
        "X = {a=1}", "X = [ {a=1}, 2 ]", "X = { a = [ ] }", "X = +1", "X = 1.5",
    };
    // clang-format on
}

TEST(CacheAssignmentReader, FastReaderAgreesWithTheGrammar) {
    std::vector<std::string> texts = edgeCases();
    std::vector<std::string> written;
    for (const Assignment& a : RilkTest::sampleAssignments()) {
        auto text = cacheAssignmentText(a);
        ASSERT_TRUE(text) << a.name;
        written.push_back(*text);
        texts.push_back(*text);
    }
    const AssignType types[] = {AssignType::Set, AssignType::Append, AssignType::SetIfUnset,
                                AssignType::Declare};
    for (const std::string& text : texts) {
        for (AssignType type : types) {
            const auto fast = readCacheAssignmentFast(text, type, AssignModifier::Up);
            if (!fast) continue;
            EXPECT_EQ(describe(fast),
                      describe(readCacheAssignmentGrammar(text, type, AssignModifier::Up)))
                << "text: " << text << " operator " << static_cast<int>(type);
        }
    }
    // What the writer writes never needs the grammar.
    for (const Assignment& a : RilkTest::sampleAssignments()) {
        const std::string text = *cacheAssignmentText(a);
        EXPECT_TRUE(readCacheAssignmentFast(text, a.type, a.modifier)) << text;
    }
}

TEST(CacheAssignmentReader, EveryWrittenValueReadsBackTheSame) {
    for (const Assignment& a : RilkTest::sampleAssignments()) {
        const auto read = readCacheAssignment(*cacheAssignmentText(a), a.type, a.modifier);
        ASSERT_TRUE(read) << a.name;
        EXPECT_TRUE(cacheEqual(*read, a))
            << *cacheAssignmentText(a) << " read as " << describe(read);
    }
}

TEST(CacheAssignmentReader, ValuesWithoutAFaithfulFormAreNotWritten) {
    auto set = [](const char* name, RilkValuePtr value) {
        return Assignment(name, std::move(value), AssignType::Set, AssignModifier::None);
    };
    auto block = [](std::vector<Assignment> assignments, std::vector<Condition> conditions) {
        return std::make_shared<RilkContext>(std::make_shared<Context>(assignments, conditions));
    };
    Condition condition;
    condition.lhs = makeString("x");
    const Assignment cases[] = {
        set("X", std::make_shared<RilkList>(std::vector<RilkValuePtr>{nullptr})),
        set("X", std::make_shared<RilkList>(std::vector<RilkValuePtr>{
                     std::make_shared<RilkList>(std::vector<RilkValuePtr>{makeString("a")})})),
        set("X", std::make_shared<RilkIdentifier>(Identifier())),
        set("X", block({}, {condition})),
        set("X",
            block({Assignment("a", makeString("x"), AssignType::Set, AssignModifier::Must)}, {})),
        set("name", makeString("keyword")),
        set("two words", makeString("x")),
    };
    for (const Assignment& a : cases) {
        EXPECT_FALSE(cacheAssignmentText(a)) << a.name << " " << *cacheAssignmentText(a);
    }
}

TEST(CacheAssignmentReader, TextsWithoutALiteralAreKeptInTheCachesOwnForm) {
    auto set = [](RilkValuePtr value) {
        return Assignment("X", std::move(value), AssignType::Set, AssignModifier::None);
    };
    const std::pair<Assignment, std::string> cases[] = {
        {set(makeString("both \" and )\" in 100%")), "X = S%\"(both %22 and %29%22 in 100%25)\""},
        {set(std::make_shared<RilkRawString>("q\" ends )")), "X = R%\"(q%22 ends %29)\""},
        {set(makePathString("/p/inc)", "")), "X = P%\"(/p/inc%29)\""},
        {set(makePathString("a)\".c", "/p")), "X = P%\"(/p/a%29%22.c)\""},
        {set(makePathString("/caf\xe9/a.c", "")), "X = P%\"(/caf%E9/a.c)\""},
        {set(makeString("not utf-8 \xff\n")), "X = S%\"(not utf-8 %FF%0A)\""},
        {set(std::make_shared<RilkList>(std::vector<RilkValuePtr>{
             makePathString("/i)", ""), makePathString("/j", "")})),
         "X = [ P%\"(/i%29)\", P\"(/j)\" ]"},
    };
    for (const auto& [a, text] : cases) {
        ASSERT_EQ(cacheAssignmentText(a), text);
        const auto read = readCacheAssignmentFast(text, a.type, a.modifier);
        ASSERT_TRUE(read) << text;
        EXPECT_TRUE(cacheEqual(*read, a)) << text << " read as " << describe(read);
        EXPECT_EQ(describe(read->value)[0], describe(a.value)[0]) << text;
    }
    // Only the writer's escapes: a byte that stands escaped, or a '%' without two digits.
    for (const char* text : {"X = S%\"(a\"b)\"", "X = S%\"(a%2)\"", "X = S%\"(a%zz)\"",
                             "X = P%\"(/\xc3\xa9)\"", "X = R%\"(a)"}) {
        EXPECT_FALSE(readCacheAssignment(text, AssignType::Set, AssignModifier::None)) << text;
    }
}

TEST(LegacyPathLiterals, RewrittenOnlyWhereATokenStarts) {
    const std::pair<const char*, const char*> cases[] = {
        {"X = P\"/work/x\"", "X = P\"(/work/x)\""},
        {"X = P\"(/work/x)\"", "X = P\"(/work/x)\""},
        {"X = [P\"/a\",P\"/b\"]", "X = [P\"(/a)\",P\"(/b)\"]"},
        {"X = \"text P\"/a\"", "X = \"text P\"/a\""},
        {"X = R\"(P\"/a\")\"", "X = R\"(P\"/a\")\""},
        {"X = XP\"/a\"", "X = XP\"/a\""},
        {"X = P\"/a\nb\"", "X = P\"/a\nb\""},
        {"X = 1 // P\"/a\"", "X = 1 // P\"/a\""},
        {"X = R\"(a P\"/b\"", "X = R\"(a P\"/b\""},
        {"X = [R\"(a))\", P\"/b\"]", "X = [R\"(a))\", P\"(/b)\"]"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(rewriteLegacyPathLiterals(text), expected) << text;
    }
}

}  // namespace
}  // namespace Rilk
