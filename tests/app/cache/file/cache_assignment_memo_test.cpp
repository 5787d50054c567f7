#include "app/cache/file/cache_assignment_memo.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_value.h"

namespace Rilk {
namespace {

std::string shown(const std::optional<Assignment>& a) {
    if (!a) return "none";
    return a->name + " " + std::to_string(static_cast<int>(a->type)) + " " +
           std::to_string(static_cast<int>(a->modifier)) + " " +
           (a->value ? a->value->typeName() + " " + a->value->toDisplayString() : "null");
}

// Every text read twice, in turn with the others, gives what a plain read gives; a read
// shares the value of an earlier one only when it is a plain value, and a text read again
// right away always does.
TEST(CacheAssignmentMemo, RepeatedTextsReadAsThePlainReadAndShareOnlyPlainValues) {
    struct Case {
        std::string text;
        long long type;
        long long modifier;
        bool plain;
    };
    const std::vector<Case> cases = {
        {"day = \"7\"", 1, 0, true},
        {"day = \"7\"", 2, 0, true},  // the same text with another operator
        {"day = \"7\"", 1, 1, true},  // ... and another modifier
        {"in = P\"(/p/in/f0.txt)\"", 1, 0, true},
        {"raw = R\"(a \"b\")\"", 1, 0, true},
        {"n = -12", 3, 0, true},
        {"bare", 4, 0, true},
        {"list = [ \"a\", \"b\" ]", 1, 0, false},
        {"block = { x = \"1\" }", 1, 0, false},
        {"bad = \"", 1, 0, false},    // does not read
        {"day = \"7\"", 9, 0, false},  // an operator no assignment has
        {"x = \"\xff\"", 1, 0, false},
    };
    // Each round reads its own copies of the texts: a match is by the bytes, not their place.
    std::vector<std::string> texts[2];
    for (const Case& c : cases) {
        texts[0].push_back(c.text);
        texts[1].push_back(c.text);
    }
    CacheAssignmentMemo memo;
    std::vector<RilkValuePtr> first(cases.size());
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            const AssignmentRecordFields fields{c.type, c.modifier, texts[round][i]};
            const std::optional<Assignment> read = memo.read(fields);
            EXPECT_EQ(shown(read), shown(readRecordAssignment(fields))) << c.text;
            const std::optional<Assignment> again = memo.read(fields);
            EXPECT_EQ(shown(again), shown(read)) << c.text;
            if (!read || !read->value) continue;
            EXPECT_EQ(again->value == read->value, c.plain) << c.text;
            if (round == 0) {
                first[i] = read->value;
            } else if (!c.plain) {
                EXPECT_NE(read->value, first[i]) << c.text;
            }
        }
    }
}

// Texts whose table places collide each still read as themselves.
TEST(CacheAssignmentMemo, ManyDistinctTextsEachReadAsThemselves) {
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i) texts.push_back("v = \"" + std::to_string(i) + "\"");
    CacheAssignmentMemo memo;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 2000; ++i) {
            const std::string& text = texts[static_cast<std::size_t>(i)];
            const std::optional<Assignment> read = memo.read({1, 0, text});
            ASSERT_TRUE(read && read->value) << text;
            EXPECT_EQ(read->value->toDisplayString(), "\"" + std::to_string(i) + "\"") << text;
        }
    }
}

}  // namespace
}  // namespace Rilk
