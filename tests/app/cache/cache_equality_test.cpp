#include "app/cache/cache_equality.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

RilkValuePtr str(const char* text) { return makeString(text); }
RilkValuePtr raw(const char* text) { return std::make_shared<RilkRawString>(text); }
RilkValuePtr num(int n) { return std::make_shared<RilkInt>(n); }
RilkValuePtr list(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}
RilkValuePtr block(std::vector<Assignment> assignments) {
    return std::make_shared<RilkContext>(
        std::make_shared<Context>(assignments, std::vector<Condition>{}));
}
Assignment set(const char* name, RilkValuePtr value) {
    return Assignment(name, std::move(value), AssignType::Set, AssignModifier::None);
}

TEST(CacheEqual, ComparesByKindWithExactText) {
    const struct {
        const char* label;
        RilkValuePtr a, b;
        bool equal;
    } cases[] = {
        {"same text", str("-DX=a"), str("-DX=a"), true},
        {"letter case matters", str("-DX=a"), str("-DX=A"), false},
        {"plain and raw text alike", str("x"), raw("x"), true},
        {"quotes are text", str("\"x\""), str("x"), false},
        {"path by full path", makePathString("a.c", "/p"), makePathString("/p/a.c", ""), true},
        {"path case", makePathString("/p/A.c", ""), makePathString("/p/a.c", ""), false},
        {"path is no string", makePathString("/p", ""), str("/p"), false},
        {"integers", num(3), num(3), true},
        {"integer is no string", num(3), str("3"), false},
        {"lists element by element", list({str("a"), num(1)}), list({str("a"), num(1)}), true},
        {"list order", list({str("a"), str("b")}), list({str("b"), str("a")}), false},
        {"list length", list({str("a")}), list({str("a"), str("a")}), false},
        {"missing element", list({nullptr}), list({str("")}), false},
        {"blocks by variable", block({set("a", str("x"))}), block({set("A", str("x"))}), true},
        {"block value case", block({set("a", str("x"))}), block({set("a", str("X"))}), false},
        {"block operator", block({set("a", str("x"))}),
         block({Assignment("a", str("x"), AssignType::Append, AssignModifier::None)}), false},
        {"block is no list", block({}), list({}), false},
        {"null and null", nullptr, nullptr, true},
        {"null and value", nullptr, str(""), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cacheEqual(c.a, c.b), c.equal) << c.label;
        EXPECT_EQ(cacheEqual(c.b, c.a), c.equal) << c.label << " (swapped)";
    }
}

TEST(CacheEqual, PathsAreEqualExactlyWhenTheirFullPathTextsAre) {
    // Paths compare piece by piece; every split of a few full paths and their near misses
    // must agree with comparing the texts.
    const std::pair<const char*, const char*> paths[] = {
        {"", "/p/src/a.c"},   {"/p", "src/a.c"},  {"/p/", "src/a.c"},  {"/p/src", "a.c"},
        {"/x", "/p/src/a.c"}, {"/p/s", "rc/a.c"}, {"/p//", "src/a.c"}, {"/p/src/a.c", ""},
        {"", "/p/src/a.cc"},  {"/p", "src/a.C"},  {"/p", "src/a."},    {"", ""},
        {"/", "p"},           {"", "/p"},         {"/p", ""},          {"", "p"},
        {"", "/psrc/a.c"},    {"", "/p/src"},     {"", "/p/src/a.c/"}, {"", "/p/"},
    };
    for (const auto& [baseA, textA] : paths) {
        for (const auto& [baseB, textB] : paths) {
            const auto a = makePathString(textA, baseA);
            const auto b = makePathString(textB, baseB);
            EXPECT_EQ(cacheEqual(a, b), a->fullPathText() == b->fullPathText())
                << baseA << " " << textA << " / " << baseB << " " << textB;
        }
    }
}

TEST(CacheEqual, AssignmentsCompareNamesIgnoringCaseOperatorsAndModifiersExactly) {
    const Assignment base("Flags", str("x"), AssignType::Set, AssignModifier::None);
    EXPECT_TRUE(
        cacheEqual(base, Assignment("FLAGS", str("x"), AssignType::Set, AssignModifier::None)));
    EXPECT_FALSE(cacheEqual(
        base, Assignment("Flags", str("x"), AssignType::Append, AssignModifier::None)));
    EXPECT_FALSE(
        cacheEqual(base, Assignment("Flags", str("x"), AssignType::Set, AssignModifier::Up)));
}

}  // namespace
}  // namespace Rilk
