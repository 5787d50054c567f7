#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/expansion_test_values.h"
#include "types/map_resolver.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/rilk_string.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using RilkTest::list;
using RilkTest::texts;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

std::string loopMessage(RilkString& value) {
    try {
        value.resolve();
    } catch (const LoopFoundException& e) {
        return e.message();
    }
    return "no loop";
}

TEST(StringResolution, ReplacesTheTextByTheExpandedTextAndReturnsTheResult) {
    RilkTest::MapResolver vars;
    vars.set("x", list({"a", "b"}));
    const auto value = makeString("#{x}.o");
    value->setResolver(&vars);
    EXPECT_THAT(texts(value->resolve()), ElementsAre("a.o", "b.o"));
    EXPECT_EQ(value->toString(), "a.o b.o");
}

TEST(StringResolution, FailedExpansionLeavesTheTextAsItWas) {
    const auto value = makeString("${broken");
    EXPECT_THROW(value->resolve(), RilkException);
    EXPECT_EQ(value->toString(), "${broken");
}

TEST(StringResolution, VariableReferringToItselfIsALoopNamingIt) {
    RilkTest::MapResolver vars;
    const auto x = makeString("${x}");
    vars.set("x", x);
    EXPECT_EQ(loopMessage(*x), "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
}

TEST(StringResolution, LoopThroughSeveralVariablesNamesEachOfThem) {
    RilkTest::MapResolver vars;
    const auto a = makeString("${b}");
    vars.set("a", a);
    vars.set("b", makeString("pre ${C}"));
    vars.set("c", makeString("${A} post"));
    const auto outside = makeString("${a}");
    outside->setResolver(&vars);
    EXPECT_EQ(loopMessage(*outside),
              "Loop detected! Causing term: 'A'\n  loop goes as follows: A <- C <- b <- ");
}

TEST(StringResolution, LoopThroughAGroupNamesTheVariable) {
    RilkTest::MapResolver vars;
    const auto x = makeString("#{x}");
    vars.set("x", x);
    EXPECT_EQ(loopMessage(*x), "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
}

TEST(StringResolution, LoopLeavesNoTraceForLaterResolutions) {
    RilkTest::MapResolver vars;
    const auto x = makeString("${x}");
    vars.set("x", x);
    EXPECT_THROW(x->resolve(), LoopFoundException);
    const auto y = makeString("${z}");
    vars.set("z", makeString("fine"));
    y->setResolver(&vars);
    EXPECT_EQ(y->resolve()->toString(), "fine");
    EXPECT_EQ(y->resolve()->toString(), "fine");
}

class PathResolution : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* file : {"src/a.c", "src/b.c", "src/x.h"}) dir.write(file, "");
        vars.set("names", list({"a", "b"}));
    }

    std::shared_ptr<RilkPathString> path(const std::string& text) {
        auto value = makePathString(text, dir.path());
        value->setResolver(&vars);
        return value;
    }

    std::string at(const std::string& relative) { return (dir.path() / relative).string(); }

    RilkTest::TempDir dir;
    RilkTest::MapResolver vars;
};

TEST_F(PathResolution, PatternGivesOnePathStringPerMatch) {
    const auto value = path("src/*.c");
    const RilkValuePtr result = value->resolve();
    ASSERT_NE(dynamic_cast<RilkList*>(result.get()), nullptr);
    EXPECT_THAT(texts(result), UnorderedElementsAre(at("src/a.c"), at("src/b.c")));
    for (const auto& element : dynamic_cast<RilkList&>(*result).elements()) {
        const auto* p = dynamic_cast<RilkPathString*>(element.get());
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->baseDirectory().empty());
    }
    EXPECT_EQ(value->toString(), "src/*.c");
}

TEST_F(PathResolution, SingleMatchBecomesTheValuesText) {
    const auto value = path("src/*.h");
    const RilkValuePtr result = value->resolve();
    ASSERT_NE(dynamic_cast<RilkPathString*>(result.get()), nullptr);
    EXPECT_EQ(result->toString(), at("src/x.h"));
    EXPECT_EQ(value->toString(), at("src/x.h"));
}

TEST_F(PathResolution, PatternWithoutMatchStandsForItself) {
    EXPECT_EQ(path("src/*.none")->resolve()->toString(), at("src/*.none"));
    EXPECT_EQ(path("gone/file.c")->resolve()->toString(), at("gone/file.c"));
}

TEST_F(PathResolution, AbsoluteTextIgnoresTheBaseDirectory) {
    const auto value = makePathString(at("src/a.*"), "/elsewhere");
    EXPECT_EQ(value->resolve()->toString(), at("src/a.c"));
}

TEST_F(PathResolution, EachExpandedTextIsGlobbedInTurn) {
    dir.write("a/1.c", "");
    dir.write("b/2.c", "");
    EXPECT_THAT(texts(path("#{names}/*.c")->resolve()), ElementsAre(at("a/1.c"), at("b/2.c")));
    EXPECT_THAT(texts(path("#{names}.o")->resolve()), ElementsAre(at("a.o"), at("b.o")));
}

}  // namespace
}  // namespace Rilk
