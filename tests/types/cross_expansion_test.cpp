#include <gmock/gmock.h>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;
using ::testing::ElementsAreArray;

class CrossExpansion : public ::testing::Test {
protected:
    CrossExpansion() {
        set(set(set(vars, "x", strings({"a", "b"})), "y", strings({"1", "2"})), "one",
            strings({"1"}));
        set(set(set(vars, "single", str("a")), "words", str("p q")), "empty", list());
        set(vars, "dir", str("src"));
    }

    RilkValuePtr expand(const std::string& text) { return resolveIn(vars, text); }

    template <typename Error = RilkException>
    std::string failure(const std::string& text) {
        return errorText<Error>([&] { expand(text); });
    }

    Context vars;
};

TEST_F(CrossExpansion, GroupsMultiplyWithTheFirstVaryingSlowest) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"#{x}.o", {"a.o", "b.o"}},
        {"#{x}/#1.c", {"a/a.c", "b/b.c"}},
        {"#{x}-#{y}", {"a-1", "a-2", "b-1", "b-2"}},
        {"#{x}#{one} #2 #1", {"a1 1 a", "b1 1 b"}},
        {"#{words}.c", {"p.c", "q.c"}},
        {"#{X}", {"a", "b"}},
        {"${dir}/#{x}.c", {"src/a.c", "src/b.c"}},
        {"#{x}-#{x}", {"a-a", "a-b", "b-a", "b-b"}},
        {"#{one}", {"1"}}};
    for (const auto& [text, expected] : cases) {
        const RilkValuePtr result = expand(text);
        EXPECT_EQ(result->typeName(), "RilkList") << text;
        EXPECT_THAT(texts(*result), ElementsAreArray(expected)) << text;
    }
    // Elements carry references and groups to the next level; a marker repeats the element,
    // group included, and each copy varies on its own.
    set(set(vars, "refs", raw("${dir}/#{x}")), "outer", raw("#{y}"));
    EXPECT_THAT(texts(*expand("#{refs}")), ElementsAreArray({"src/a", "src/b"}));
    EXPECT_THAT(texts(*expand("#{outer}:#1")), ElementsAreArray({"1:1", "1:2", "2:1", "2:2"}));
}

TEST_F(CrossExpansion, TextsWithoutGroupsStayOneString) {
    for (const char* text :
         {"file#a.c", "{a} #{x}", "a#b #{x}", "#{empty}", "#{x", "ends with #"}) {
        const auto result = std::dynamic_pointer_cast<RilkString>(expand(text));
        ASSERT_NE(result, nullptr) << text;
        EXPECT_EQ(result->toString(), text);
        EXPECT_EQ(result->resolver(), nullptr);
    }
    EXPECT_EQ(expand("plain ${dir}")->toDisplayString(), "\"plain src\"");
}

TEST_F(CrossExpansion, LeftoverMarkersUnknownVariablesAndBadNamesAreErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"#{nothing}", "Assignment 'nothing' not found."},
        {"#{single} #12", "unresolved cross expansion reference '#12'"},
        {"#1 #{x}", "unresolved cross expansion reference '#1'"},
        {"#{x} #2 #{y}", "unresolved cross expansion reference '#2'"},
        {"file#1.c", "unresolved cross expansion reference '#1'"},
        {"#{empty} #1", "unresolved cross expansion reference '#1'"}};
    for (const auto& [text, message] : cases) EXPECT_EQ(failure(text), message) << text;
    EXPECT_EQ(failure<ParseError>("#{}"), "0: Empty identifier");
    EXPECT_EQ(failure<ParseError>("#{9}"), "0: Invalid identifier start");
}

TEST_F(CrossExpansion, GroupThatRecreatesItselfIsALoop) {
    set(set(vars, "self", raw("#{self}")), "grows", list({raw("a"), raw("b#{grows}")}));
    // A list of expanding strings comes back to its own resolution first.
    set(vars, "resolving", strings({"a", "b#{resolving}"}));
    set(set(vars, "ping", raw("#{pong}")), "pong", raw("-#{ping}"));
    set(vars, "later", raw("#{single}#{later}"));
    set(set(vars, "viaRef", raw("${back}")), "back", raw("#{viaRef}"));
    const std::pair<const char*, const char*> cases[] = {
        {"#{self}", "'#{self}'\n  loop goes as follows: self <- self <- "},
        {"#{grows}", "'#{grows}'"},
        {"#{resolving}", "'resolving'\n  loop goes as follows: resolving <- "},
        {"#{ping}", "'#{ping}'\n  loop goes as follows: ping <- pong <- ping <- "},
        {"x #{later}", "'#{later}'"},
        {"#{viaRef}", "'#{viaRef}'\n  loop goes as follows: viaRef <- viaRef <- "}};
    for (const auto& [text, message] : cases) {
        EXPECT_THAT(failure<LoopFoundException>(text),
                    ::testing::HasSubstr(std::string("Causing term: ") + message))
            << text;
    }
}

TEST_F(CrossExpansion, GroupThatHoldsWrittenTextIsNoLoop) {
    // "#{" from an element and "cut}" or "x}" from the text: expanding the group uses the
    // written text up, so the expansion ends.
    set(set(vars, "cut", raw("#{")), "open", strings({"#{", "y"}));
    EXPECT_THAT(texts(*expand("#{cut}cut}")), ElementsAreArray({"#{"}));
    EXPECT_THAT(texts(*expand("#{open}open}")), ElementsAreArray({"#{", "y", "yopen}"}));
}
