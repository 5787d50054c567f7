#include <gmock/gmock.h>

#include "types/reference_parser.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

// A replacement that cannot form a new reference with the text around it goes straight
// into the result; the others wait in line and are rescanned. The expansion of a text that
// a cross-expansion group inserted keeps character origins and always takes the second
// way, so it is the yardstick for the first.
TEST(ReferenceReplacement, DirectAndQueuedReplacementsAgree) {
    Context vars;
    for (const auto& [name, text] :
         {std::pair{"plain", "abc"}, std::pair{"dollar", "p$"}, std::pair{"brace", "{y}"},
          std::pair{"y", "Y"}, std::pair{"empty", ""}, std::pair{"mid", "a$b"},
          std::pair{"open", "{"}, std::pair{"close", "}"}, std::pair{"via", "<${dollar}>"}}) {
        set(vars, name, str(text));
    }
    set(vars, "pair", strings({"q$", "{y}"}));
    set(vars, "number", num(7));
    const std::pair<const char*, const char*> cases[] = {
        {"${plain}", "abc"},
        {"[${plain}|${number}|${pair}]", "[abc|7|q$ {y}]"},
        {"${dollar}${brace}", "pY"},
        {"${dollar}{y}", "pY"},
        {"$${brace}", "Y"},
        {"${dollar}${empty}${brace}", "pY"},
        {"x${mid}${brace}", "xa$b{y}"},
        {"${open}y}", "{y}"},
        {"$${open}y}", "Y"},
        {"${dollar}${open}y}", "pY"},
        {"${close}${plain}", "}abc"},
        {"a$b ${plain}$", "a$b abc$"},
        {"${via}${brace}", "<p$>{y}"},
        {"${pair}${open}y}", "q$ {y}{y}"},
        {"x$${empty}{y}", "xY"},
        {"${plain}${pair[1]}${plain}", "abc{y}abc"},
        {"$${pair[1]}", "Y"},
        {"${plain}${a b}${a-b}", "abc"},
        {"${Y}${plain}$", "Yabc$"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(resolveIn(vars, text)->toString(), expected) << text;
        // The group inserts the text unexpanded; its references are expanded at the next
        // level.
        set(vars, "group", list({raw(text)}));
        EXPECT_EQ(resolveIn(vars, "#{group}")->toString(), expected) << text;
    }
}

TEST(ReferenceReplacement, PlainNamesAreExactlyTheOneSegmentIdentifiers) {
    const std::pair<std::string, bool> cases[] = {
        {"a", true},        {"_", true},          {"A_9z", true},       {"9a", false},
        {"", false},        {"a.b", false},       {"a[0]", false},      {"a b", false},
        {"a-b", true},     {"\xc3\xa9t\xc3\xa9", false}, {"x\xff", false}, {"Z", true}};
    for (const auto& [name, plain] : cases) {
        EXPECT_EQ(isPlainName(name), plain) << name;
        if (!plain) continue;
        const Identifier identifier = parseReferenceName(name);
        ASSERT_EQ(identifier.segments.size(), 1u) << name;
        EXPECT_EQ(identifier.segments.front().name, name);
        EXPECT_TRUE(identifier.segments.front().indices.empty()) << name;
    }
}
