#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/expansion_test_values.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/rilk_string.h"

namespace Rilk {
namespace {

using RilkTest::list;
using RilkTest::texts;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(StringResolution, ReplacesTheTextByTheExpandedTextAndReturnsTheResult) {
    RilkTest::Variables vars;
    vars.set("x", list({"a", "b"}));
    const auto value = makeString("#{x}.o");
    value->setResolver(vars.resolver());
    EXPECT_THAT(texts(value->resolve()), ElementsAre("a.o", "b.o"));
    EXPECT_EQ(value->toString(), "a.o b.o");

    const auto broken = makeString("${broken");
    EXPECT_THROW(broken->resolve(), RilkException);
    EXPECT_EQ(broken->toString(), "${broken");
}

TEST(StringResolution, VariablesThatNeedThemselvesEndInALoopErrorNamingThem) {
    const struct {
        std::vector<std::pair<const char*, const char*>> variables;
        const char* text;
        const char* message;
    } cases[] = {
        {{{"x", "${x}"}}, "${x}", "Causing term: 'x'\n  loop goes as follows: x <- "},
        {{{"a", "${b}"}, {"b", "${a}"}},
         "${a}",
         "Causing term: 'a'\n  loop goes as follows: b <- a <- "},
        {{{"a", "${b}"}, {"b", "pre ${C}"}, {"c", "${A} post"}},
         "${a}",
         "Causing term: 'a'\n  loop goes as follows: c <- b <- a <- "},
        {{{"x", "#{x}"}}, "#{x}", "Causing term: 'x'\n  loop goes as follows: x <- "},
        // The loop inside "self" is not taken for a variable that does not exist.
        {{{"self", "${self}"}, {"user", "[${self}]"}}, "${user}", "Causing term: 'self'"},
    };
    for (const auto& c : cases) {
        RilkTest::Variables vars;
        for (const auto& [name, text] : c.variables) vars.set(name, makeString(text));
        const auto value = makeString(c.text);
        value->setResolver(vars.resolver());
        try {
            value->resolve();
            ADD_FAILURE() << "no loop for " << c.text;
        } catch (const LoopFoundException& e) {
            EXPECT_THAT(e.message(), ::testing::HasSubstr(c.message));
        }
    }
}

class PathResolution : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"src/a.c", "src/b.c", "src/x.h", "a/1.c", "b/2.c"}) {
            dir.write(file, "");
        }
        vars.set("names", list({"a", "b"}));
    }

    std::shared_ptr<RilkPathString> path(const std::string& text) {
        auto value = makePathString(text, dir.path());
        value->setResolver(vars.resolver());
        return value;
    }

    std::string at(const std::string& relative) { return (dir.path() / relative).string(); }

    RilkTest::TempDir dir;
    RilkTest::Variables vars;
};

TEST_F(PathResolution, SeveralMatchesGivePathStringsWithoutBaseAndKeepTheText) {
    const auto value = path("src/*.c");
    const RilkValuePtr result = value->resolve();
    ASSERT_NE(dynamic_cast<RilkList*>(result.get()), nullptr);
    EXPECT_THAT(texts(result), UnorderedElementsAre(at("src/a.c"), at("src/b.c")));
    for (const auto& element : dynamic_cast<RilkList&>(*result).elements()) {
        EXPECT_TRUE(dynamic_cast<RilkPathString&>(*element).baseDirectory().empty());
    }
    EXPECT_EQ(value->toString(), "src/*.c");
}

TEST_F(PathResolution, OnePathBecomesTheValuesText) {
    for (const auto& [text, expected] :
         {std::pair{"src/*.h", "src/x.h"}, std::pair{"src/*.none", "src/*.none"},
          std::pair{"gone/file.c", "gone/file.c"}}) {
        const auto value = path(text);
        const RilkValuePtr result = value->resolve();
        ASSERT_NE(dynamic_cast<RilkPathString*>(result.get()), nullptr);
        EXPECT_EQ(result->toString(), at(expected));
        EXPECT_EQ(value->toString(), at(expected));
    }
    EXPECT_EQ(makePathString(at("src/a.*"), "/elsewhere")->resolve()->toString(), at("src/a.c"));
}

TEST_F(PathResolution, EachExpandedTextIsGlobbedInTurn) {
    EXPECT_THAT(texts(path("#{names}/*.c")->resolve()), ElementsAre(at("a/1.c"), at("b/2.c")));
    EXPECT_THAT(texts(path("#{names}.o")->resolve()), ElementsAre(at("a.o"), at("b.o")));
}

}  // namespace
}  // namespace Rilk
