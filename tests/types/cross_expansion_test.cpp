#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "types/expander.h"
#include "types/expansion_test_values.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_string.h"

namespace Rilk {
namespace {

using RilkTest::list;
using RilkTest::raw;
using RilkTest::texts;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

class CrossExpansion : public ::testing::Test {
protected:
    void SetUp() override {
        vars.set("x", list({"a", "b"}));
        vars.set("y", list({"1", "2"}));
        vars.set("one", list({"1"}));
        vars.set("single", makeString("a"));
        vars.set("words", makeString("p q"));
        vars.set("empty", list({}));
        vars.set("dir", makeString("src"));
        owner->setResolver(vars.resolver());
    }

    RilkValuePtr expand(const std::string& text) {
        Expander::NameSet expanding;
        return Expander::crossExpand(text, *owner, expanding, 1);
    }

    std::string failure(const std::string& text) {
        try {
            expand(text);
        } catch (const RilkException& e) {
            return e.message();
        }
        return "no error";
    }

    RilkTest::Variables vars;
    std::shared_ptr<RilkString> owner = makeString("");
};

TEST_F(CrossExpansion, GroupsMultiplyWithTheFirstVaryingSlowest) {
    const struct {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        {"#{x}.o", {"a.o", "b.o"}},
        {"#{x}/#1.c", {"a/a.c", "b/b.c"}},
        {"#{x}-#{y}", {"a-1", "a-2", "b-1", "b-2"}},
        {"#{x}#{one} #2 #1", {"a1 1 a", "b1 1 b"}},
        {"#{words}.c", {"p.c", "q.c"}},
        {"#{X}", {"a", "b"}},
        {"${dir}/#{x}.c", {"src/a.c", "src/b.c"}},
        {"#{x}-#{x}", {"a-a", "a-b", "b-a", "b-b"}},
        {"#{one}", {"1"}},
    };
    for (const auto& c : cases) {
        const RilkValuePtr result = expand(c.text);
        ASSERT_NE(dynamic_cast<RilkList*>(result.get()), nullptr) << c.text;
        EXPECT_THAT(texts(result), ElementsAreArray(c.expected)) << c.text;
    }
}

TEST_F(CrossExpansion, TextsWithoutGroupsStayOneString) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain ${dir}", "plain src"},  {"file#a.c", "file#a.c"}, {"{a} #{x}", "{a} #{x}"},
        {"a#b #{x}", "a#b #{x}"},       {"#{empty}", "#{empty}"}, {"#{x", "#{x"},
        {"ends with #", "ends with #"},
    };
    for (const auto& [text, expected] : cases) {
        const RilkValuePtr result = expand(text);
        ASSERT_NE(dynamic_cast<RilkString*>(result.get()), nullptr) << text;
        EXPECT_EQ(result->toString(), expected) << text;
        EXPECT_EQ(dynamic_cast<RilkString*>(result.get())->resolver(), nullptr);
    }
}

TEST_F(CrossExpansion, LeftoverMarkersAndUnknownVariablesAreErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"#{nothing}", "Assignment 'nothing' not found."},
        {"#{single} #12", "unresolved cross expansion reference '#12'"},
        {"#1 #{x}", "unresolved cross expansion reference '#1'"},
        {"#{x} #2 #{y}", "unresolved cross expansion reference '#2'"},
        {"file#1.c", "unresolved cross expansion reference '#1'"},
        {"#{empty} #1", "unresolved cross expansion reference '#1'"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(failure(text), message) << text;
}

TEST_F(CrossExpansion, BadGroupNamesThrowParseError) {
    for (const auto& [text, position, message] :
         {std::tuple{"#{}", 0u, "Empty identifier"},
          std::tuple{"#{9}", 0u, "Invalid identifier start"}}) {
        try {
            expand(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const ParseError& e) {
            EXPECT_EQ(e.position, position);
            EXPECT_EQ(e.message, message);
        }
    }
}

TEST_F(CrossExpansion, ElementsCarryReferencesAndGroupsToTheNextLevel) {
    vars.set("refs", raw("${dir}/#{x}"));
    EXPECT_THAT(texts(expand("#{refs}")), ElementsAreArray({"src/a", "src/b"}));
    // The marker repeats the element, group included; each copy varies on its own.
    vars.set("outer", raw("#{y}"));
    EXPECT_THAT(texts(expand("#{outer}:#1")), ElementsAreArray({"1:1", "1:2", "2:1", "2:2"}));
}

TEST_F(CrossExpansion, MarkerLength) {
    const struct {
        const char* text;
        std::size_t position;
        std::size_t length;
    } cases[] = {
        {"#1", 0, 2},  {"#12x", 0, 3}, {"a#7", 1, 2},
        {"#", 0, 0},   {"#a", 0, 0},   {"a#1", 0, 0},
        {"#1", 1, 0},  {"#1", 5, 0},   {"#1", std::string::npos, 0},
        {"#{1", 0, 0}, {"", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Expander::markerLength(c.text, c.position), c.length)
            << c.text << " at " << c.position;
    }
}

TEST_F(CrossExpansion, GroupThatRecreatesItselfIsALoop) {
    vars.set("self", raw("#{self}"));
    vars.set("grows", RilkTest::rawList({"a", "b#{grows}"}));
    // A list of expanding strings comes back to its own resolution first.
    vars.set("resolving", list({"a", "b#{resolving}"}));
    vars.set("ping", raw("#{pong}"));
    vars.set("pong", raw("-#{ping}"));
    vars.set("later", raw("#{single}#{later}"));
    vars.set("viaRef", raw("${back}"));
    vars.set("back", raw("#{viaRef}"));
    const std::pair<const char*, const char*> cases[] = {
        {"#{self}", "Causing term: '#{self}'\n  loop goes as follows: self <- self <- "},
        {"#{grows}", "Causing term: '#{grows}'"},
        {"#{resolving}", "Causing term: 'resolving'\n  loop goes as follows: resolving <- "},
        {"#{ping}", "Causing term: '#{ping}'\n  loop goes as follows: ping <- pong <- ping <- "},
        {"x #{later}", "Causing term: '#{later}'"},
        {"#{viaRef}", "Causing term: '#{viaRef}'\n  loop goes as follows: viaRef <- viaRef <- "},
    };
    for (const auto& [text, message] : cases) {
        EXPECT_THAT(failure(text), HasSubstr(message)) << text;
    }
}

TEST_F(CrossExpansion, GroupPartlyMadeOfItsOwnElementsIsNoLoop) {
    // "#{" comes from the element and "cut}" from the text: the second round consumes text
    // that no element gives back, so the expansion ends.
    vars.set("cut", raw("#{"));
    EXPECT_THAT(texts(expand("#{cut}cut}")), ElementsAreArray({"#{"}));
}

}  // namespace
}  // namespace Rilk
