#include "parser/source_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "types/rilk_path_string.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::list;
using RilkTest::num;
using RilkTest::raw;
using RilkTest::ref;
using RilkTest::str;

RilkValuePtr block(std::vector<Assignment> assignments, std::vector<Condition> conditions = {}) {
    return RilkTest::nested(std::make_shared<Context>(assignments, conditions));
}

Assignment set(const char* name, RilkValuePtr value, AssignType type = AssignType::Set,
               AssignModifier modifier = AssignModifier::None) {
    return Assignment(name, std::move(value), type, modifier);
}

/// The text written in `form`, or "refused: " and the refusal's message.
template <typename Write>
std::string written(SourceForm form, Write write) {
    SourceWriter writer(form);
    std::string out;
    if (write(writer, out)) return out;
    return "refused: " + writer.refusal().message();
}

std::string valueText(SourceForm form, const RilkValuePtr& value) {
    return written(form, [&](SourceWriter& w, std::string& out) { return w.value(out, *value); });
}

/// Whether `text` is a refusal whose message holds `part`.
bool refusedFor(const std::string& text, const std::string& part) {
    return text.rfind("refused: ", 0) == 0 && text.find(part) != std::string::npos;
}

// A refused form is given as the part its reason must hold, after "~".
TEST(SourceWriter, EachFormWritesItsValues) {
    const struct {
        RilkValuePtr value;
        std::string templateText;
        std::string resolvedText;
    } cases[] = {
        {str("a b"), "\"a b\"", "\"a b\""},
        {str("say \"hi\""), "~double quote", "R\"(say \"hi\")\""},
        {str("\" and )\""), "~double quote", "~raw string"},
        {raw("x\"y"), "R\"(x\"y)\"", "R\"(x\"y)\""},
        {raw("ends )"), "~ends with ')'", "\"ends )\""},
        {raw("q\" )\""), "~holds ')\"'", "~double quote"},
        // The lexer's scan pairs ")" with the next character: this )" ends nothing.
        {raw("x))\"y"), "R\"(x))\"y)\"", "~double quote"},
        {raw("))"), "R\"()))\"", "\"))\""},
        {makePathString("obj/a.o", "/w"), "P\"(/w/obj/a.o)\"", "P\"(/w/obj/a.o)\""},
        {makePathString("/p/x)", ""), "~ends with ')'", "~ends with ')'"},
        {num(-3), "-3", "-3"},
        {list(), "[]", "[]"},
        {list({str("a"), num(1)}), "[ \"a\", 1 ]", "[ \"a\", 1 ]"},
        {list({list({str("a")})}), "~list inside a list", "~list inside a list"},
        {list({nullptr}), "~no value", "~no value"},
        {ref("a.b[1][c]"), "a.b[1][c]", "~identifier 'a.b[1][c]'"},
        {block({set("a", str("x")), set("b", nullptr, AssignType::Declare, AssignModifier::Up)}),
         "~block value", "{ a = \"x\" ^b }"},
        {block({}), "~block value", "{ }"},
        {str("caf\xff"), "~UTF-8", "~UTF-8"},
        {makePathString("/p/\xc3", ""), "~UTF-8", "~UTF-8"},
    };
    for (const auto& c : cases) {
        const std::pair<SourceForm, std::string> forms[] = {{SourceForm::Template, c.templateText},
                                                            {SourceForm::Resolved, c.resolvedText}};
        for (const auto& [form, expected] : forms) {
            const std::string text = valueText(form, c.value);
            if (expected.rfind("~", 0) == 0) {
                EXPECT_TRUE(refusedFor(text, expected.substr(1))) << expected << " got " << text;
            } else {
                EXPECT_EQ(text, expected);
            }
        }
    }
}

// One assignment as a block statement (either form), as a cache record's text and as a
// command-line item: the operator and modifier go where each form keeps them.
TEST(SourceWriter, AssignmentsByWhereTheyAreWritten) {
    const struct {
        Assignment assignment;
        std::string templateStatement, resolvedStatement, record, item;
    } cases[] = {
        {set("X", str("v"), AssignType::Append, AssignModifier::Up), "^X += \"v\"", "^X += \"v\"",
         "X += \"v\"", "X = \"v\""},
        {set("X", num(1), AssignType::Set, AssignModifier::Must), "!X = 1", "~\"!\" modifier",
         "X = 1", "X = 1"},
        {set("X", str("v"), AssignType::Declare), "~declaration carries a value",
         "~declaration carries a value", "X = \"v\"", "X = \"v\""},
        {set("X", nullptr, AssignType::Declare), "X", "X", "X", "~no value"},
        {set("X", nullptr, AssignType::SetIfUnset), "X ?= {}", "~no value", "X ?= ", "~no value"},
        {set("units", num(1)), "~keyword", "~keyword", "~keyword", "~keyword"},
        {set("a b", num(1)), "~not a valid name", "~not a valid name", "~not a valid name",
         "~not a valid name"},
    };
    for (const auto& c : cases) {
        const Assignment& a = c.assignment;
        using Write = bool (SourceWriter::*)(std::string&, const Assignment&);
        auto by = [&](SourceForm form, Write write) {
            return written(form,
                           [&](SourceWriter& w, std::string& out) { return (w.*write)(out, a); });
        };
        const std::pair<std::string, std::string> results[] = {
            {by(SourceForm::Template, &SourceWriter::statement), c.templateStatement},
            {by(SourceForm::Resolved, &SourceWriter::statement), c.resolvedStatement},
            {by(SourceForm::Resolved, &SourceWriter::recordText), c.record},
            {by(SourceForm::Resolved, &SourceWriter::itemText), c.item},
        };
        for (const auto& [text, expected] : results) {
            if (expected.rfind("~", 0) == 0) {
                EXPECT_TRUE(refusedFor(text, expected.substr(1)))
                    << a.name << ": " << expected << " got " << text;
                EXPECT_TRUE(refusedFor(text, "the variable '" + a.name + "'")) << text;
            } else {
                EXPECT_EQ(text, expected) << a.name;
            }
        }
    }
}

TEST(SourceWriter, ARefusalNamesTheVariableThroughBlockValues) {
    const Assignment a =
        set("CFG", block({set("ok", num(1)), set("inner", block({set("q", str("x\xff"))}))}));
    SourceWriter writer(SourceForm::Resolved);
    std::string out;
    ASSERT_FALSE(writer.recordText(out, a));
    EXPECT_EQ(writer.refusal().variable, "CFG.inner.q");
    EXPECT_NE(writer.refusal().reason.find("UTF-8"), std::string::npos);
    EXPECT_EQ(writer.refusal().message().rfind("the variable 'CFG.inner.q': ", 0), 0u);
}

TEST(SourceWriter, ResolvedValuesNestOnlySoDeep) {
    auto nestedBlocks = [](int depth) {
        RilkValuePtr value = num(1);
        for (int i = 0; i < depth; ++i) value = block({set("a", value)});
        return value;
    };
    EXPECT_EQ(valueText(SourceForm::Resolved, nestedBlocks(3)), "{ a = { a = { a = 1 } } }");
    EXPECT_FALSE(
        refusedFor(valueText(SourceForm::Resolved, nestedBlocks(kMaxResolvedTextDepth)), ""));
    EXPECT_TRUE(refusedFor(valueText(SourceForm::Resolved, nestedBlocks(kMaxResolvedTextDepth + 1)),
                           "deeper than"));
}

TEST(SourceWriter, TemplateBlockLinesHoldTheirConditionalBlocks) {
    Condition inner;
    inner.lhs = ref("os");
    inner.rhs = str("linux");
    inner.type = Condition::OperatorType::NotEqual;
    inner.body = std::make_shared<ContextTemplate>(std::vector<Assignment>{set("L", str("m"))});
    Condition outer;
    outer.lhs = ref("cfg.debug");
    outer.body = std::make_shared<ContextTemplate>(
        std::vector<Assignment>{set("O", ref("x[0..2]"), AssignType::Append)},
        std::vector<Condition>{inner});
    const ContextTemplate tool({set("T", str("gcc"), AssignType::Set, AssignModifier::Must)},
                               {outer});
    SourceWriter writer(SourceForm::Template);
    std::string out;
    ASSERT_TRUE(writer.blockLines(out, tool, 2)) << writer.refusal().message();
    EXPECT_EQ(out,
              "  !T = \"gcc\"\n"
              "  if cfg.debug {\n"
              "    O += x[0:2]\n"
              "    if os != \"linux\" {\n"
              "      L = \"m\"\n"
              "    }\n"
              "  }\n");

    Condition broken = inner;
    broken.rhs = str("q\"");
    const ContextTemplate refused({}, {broken});
    out.clear();
    EXPECT_FALSE(writer.blockLines(out, refused, 0));
    EXPECT_EQ(writer.refusal().variable, "os");
}

TEST(SourceWriter, PlainStringsTellWhatIsWrongWithTheText) {
    SourceWriter writer(SourceForm::Template);
    std::string out;
    EXPECT_TRUE(writer.plainString(out, "/p/a b/rilk.txt"));
    EXPECT_EQ(out, "\"/p/a b/rilk.txt\"");
    EXPECT_FALSE(writer.plainString(out, "a\"b"));
    EXPECT_EQ(writer.refusal().reason, "holds a double quote");
    EXPECT_FALSE(writer.plainString(out, "a\xff"));
    EXPECT_EQ(writer.refusal().reason, "is not valid UTF-8");
}

}  // namespace
}  // namespace Rilk
