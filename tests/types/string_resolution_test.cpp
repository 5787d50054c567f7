#include <algorithm>
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

namespace fs = std::filesystem;
using RilkTest::list;
using RilkTest::texts;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

/// The message of the loop error that resolving the text through `vars` raises.
std::string loopMessage(const RilkTest::Variables& vars, const std::string& text) {
    const auto value = makeString(text);
    value->setResolver(vars.resolver());
    try {
        value->resolve();
    } catch (const LoopFoundException& e) {
        return e.message();
    }
    return "no loop";
}

TEST(StringResolution, ReplacesTheTextByTheExpandedTextAndReturnsTheResult) {
    RilkTest::Variables vars;
    vars.set("x", list({"a", "b"}));
    const auto value = makeString("#{x}.o");
    value->setResolver(vars.resolver());
    EXPECT_THAT(texts(value->resolve()), ElementsAre("a.o", "b.o"));
    EXPECT_EQ(value->toString(), "a.o b.o");
}

TEST(StringResolution, FailedExpansionLeavesTheTextAsItWas) {
    const auto value = makeString("${broken");
    EXPECT_THROW(value->resolve(), RilkException);
    EXPECT_EQ(value->toString(), "${broken");
}

TEST(StringResolution, VariableReferringToItselfIsALoopNamingIt) {
    RilkTest::Variables vars;
    vars.set("x", makeString("${x}"));
    EXPECT_EQ(loopMessage(vars, "${x}"),
              "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
}

TEST(StringResolution, LoopThroughSeveralVariablesNamesEachOfThem) {
    RilkTest::Variables vars;
    vars.set("a", makeString("${b}"));
    vars.set("b", makeString("pre ${C}"));
    vars.set("c", makeString("${A} post"));
    EXPECT_EQ(loopMessage(vars, "${a}"),
              "Loop detected! Causing term: 'a'\n  loop goes as follows: c <- b <- a <- ");
}

TEST(StringResolution, LoopThroughAGroupNamesTheVariable) {
    RilkTest::Variables vars;
    vars.set("x", makeString("#{x}"));
    EXPECT_EQ(loopMessage(vars, "#{x}"),
              "Loop detected! Causing term: 'x'\n  loop goes as follows: x <- ");
}

TEST(StringResolution, LoopIsNotTakenForAMissingVariable) {
    RilkTest::Variables vars;
    vars.set("self", makeString("${self}"));
    vars.set("user", makeString("[${self}]"));
    RilkTest::VerbosityScope verbose(1);
    testing::internal::CaptureStdout();
    EXPECT_NE(loopMessage(vars, "${user}"), "no loop");
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("does not exist"), std::string::npos);
}

TEST(StringResolution, FailedResolutionLeavesNoStateBehind) {
    RilkTest::Variables vars;
    vars.set("x", makeString("${x}"));
    vars.set("z", makeString("fine"));
    EXPECT_NE(loopMessage(vars, "${x}"), "no loop");
    const auto y = makeString("${z} ${z}");
    y->setResolver(vars.resolver());
    EXPECT_EQ(y->resolve()->toString(), "fine fine");
}

class PathResolution : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* file : {"src/a.c", "src/b.c", "src/x.h"}) dir.write(file, "");
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
