#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "types/context_test_support.h"
#include "types/rilk_errors.h"
#include "types/target_context.h"

namespace Rilk {
namespace {

using testing::assign;
using testing::ident;
using testing::num;
using testing::str;

Dependency direct(const std::string& ns, const std::string& unit, const std::string& target) {
    Dependency record;
    record.target = QualifiedTargetName(ns, unit, target);
    return record;
}

Dependency dynamic(const std::string& variable, bool sourceParameter = false) {
    Dependency record;
    record.target = DynamicDependency{ident(variable), sourceParameter};
    return record;
}

/// "target(p1,p2)" of a record: its qualified name and parameters, for comparisons.
std::string describe(const Dependency& record) {
    std::string text = std::get<QualifiedTargetName>(record.target).toString();
    if (record.parameters.empty()) return text;
    text += "(";
    for (const Identifier& p : record.parameters) text += p.toString() + ",";
    text.back() = ')';
    return text;
}

class DependencyList : public ::testing::Test {
  protected:
    std::shared_ptr<TargetContext> target(std::vector<Dependency> records) {
        return std::make_shared<TargetContext>(
            QualifiedTargetName("", "main", "app"), std::vector<std::string>{},
            std::vector<RilkValuePtr>{}, variables, std::vector<Condition>{}, std::move(records));
    }

    std::vector<std::string> expand(std::vector<Dependency> records) {
        std::vector<std::string> out;
        for (const Dependency& record : target(std::move(records))->createDependencyList()) {
            out.push_back(describe(record));
        }
        return out;
    }

    /// The expansion's error text for a `deps` variable holding `text`.
    std::string failure(const std::string& text, Dependency macro = dynamic("deps")) {
        variables.push_back(assign("deps", str(text)));
        try {
            target({macro})->createDependencyList();
        } catch (const RilkException& e) {
            return e.message();
        }
        return "no error";
    }

    std::vector<Assignment> variables;
};

TEST_F(DependencyList, DirectRecordsPassThroughInOrderAroundExpandedOnes) {
    variables = {assign("deps", str("a  b(x, y.z)  c"))};
    EXPECT_THAT(expand({direct("", "", "first"), dynamic("deps"), direct("ns", "u", "last")}),
                ::testing::ElementsAre("/::first", "/::a", "/::b(x,y.z)", "/::c", "ns/u::last"));
}

TEST_F(DependencyList, StringValueExpandsItsReferencesFirst) {
    variables = {assign("deps", str("${base}_lib tools::${base}")), assign("base", str("core"))};
    EXPECT_THAT(expand({dynamic("deps")}), ::testing::ElementsAre("/::core_lib", "/tools::core"));
}

TEST_F(DependencyList, WordErrorsNameTheTextAndTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"b(x y)", "Invalid dynamic dependency 'b(x y)': invalid parameter 'x y'"},
        {"b(x", "Invalid dynamic dependency 'b(x': unterminated parameter list"},
        {"a b)x", "Invalid dynamic dependency 'a b)x': unmatched ')'"},
        {"b()", "Invalid dynamic dependency 'b()': empty parameter"},
        {"b(x,)", "Invalid dynamic dependency 'b(x,)': empty parameter"},
        {"b(,x)", "Invalid dynamic dependency 'b(,x)': empty parameter"},
        {"(x)", "Invalid dynamic dependency '(x)': empty target name"},
        {"b(x)y", "Invalid dynamic dependency 'b(x)y': unterminated parameter list"},
        {"b(1x)", "Invalid dynamic dependency 'b(1x)': invalid parameter '1x'"},
    };
    for (const auto& [text, message] : cases) {
        variables.clear();
        EXPECT_EQ(failure(text), message) << text;
    }
}

TEST_F(DependencyList, SingleAliasRefusesSeveralTargetsAndMergeAliasCopiesToEach) {
    Dependency single = dynamic("deps");
    single.aliasKind = Dependency::kAlias;
    single.alias = "out";
    EXPECT_EQ(failure("a b", single),
              "Invalid dynamic dependency 'a b': single output alias cannot be used when a macro "
              "expands to multiple dependencies");

    Dependency merged = dynamic("deps");
    merged.aliasKind = Dependency::kMergeAlias;
    merged.alias = "out";
    merged.modifier = Dependency::kPlus;
    const auto records = target({merged})->createDependencyList();
    ASSERT_EQ(records.size(), 2u);
    for (const Dependency& record : records) {
        EXPECT_EQ(record.aliasKind, Dependency::kMergeAlias);
        EXPECT_EQ(record.alias, "out");
        EXPECT_EQ(record.modifier, Dependency::kPlus);
        EXPECT_FALSE(record.isDynamic());
    }
}

TEST_F(DependencyList, ListElementsAreEntriesAndNullElementsAreSkipped) {
    variables = {assign("deps", testing::list({str("a"), nullptr, str(" b(p) ")}))};
    EXPECT_THAT(expand({dynamic("deps")}), ::testing::ElementsAre("/::a", "/::b(p)"));
}

TEST_F(DependencyList, NestedContextGivesItsVariablesInNameOrder) {
    auto nested = std::make_shared<Context>();
    testing::set(*nested, "y", num(1));
    testing::set(*nested, "X", num(2));
    variables = {assign("deps", testing::nested(nested))};
    EXPECT_THAT(expand({dynamic("deps")}), ::testing::ElementsAre("/::X", "/::y"));

    const auto records = target({dynamic("deps", true)})->createDependencyList();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].sourceValue->toString(), "2");
    EXPECT_EQ(records[1].sourceValue->toString(), "1");
}

TEST_F(DependencyList, SourceMarkerHandsEachWordItsOwnValue) {
    variables = {assign("deps", str("a u::b"))};
    const auto records = target({dynamic("deps", true)})->createDependencyList();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].sourceValue->toString(), "a");
    EXPECT_EQ(records[1].sourceValue->toString(), "u::b");
    EXPECT_EQ(describe(records[1]), "/u::b");
    variables.clear();
    EXPECT_EQ(failure("a(p)", dynamic("deps", true)),
              "Invalid dynamic dependency 'a(p)': cannot combine source-parameterized macro with "
              "parameters from the resolved dependency value");
}

TEST_F(DependencyList, MacroParametersGoToEveryTargetButNotWithTheirOwn) {
    Dependency macro = dynamic("deps");
    macro.parameters = {ident("q")};
    variables = {assign("deps", str("a b"))};
    EXPECT_THAT(expand({macro}), ::testing::ElementsAre("/::a(q)", "/::b(q)"));
    variables.clear();
    EXPECT_EQ(failure("a(p)", macro),
              "Invalid dynamic dependency 'a(p)': cannot combine macro parameters with "
              "parameters from the resolved dependency value");
}

TEST_F(DependencyList, EmptyValuesAreLoggedAndSkipped) {
    variables = {assign("blank", str("")), assign("none", testing::list({})),
                 assign("spaces", str("   ")), assign("declared", nullptr, AssignType::Declare)};
    testing::CapturedLog log(1);
    EXPECT_THAT(expand({dynamic("blank"), dynamic("none"), dynamic("spaces"), dynamic("declared")}),
                ::testing::IsEmpty());
    EXPECT_EQ(log.text(),
              "Creating dependency list.\n"
              "Dynamic dependency 'blank' is empty and will be skipped.\n"
              "Dynamic dependency 'none' is empty and will be skipped.\n"
              "Dynamic dependency 'spaces' is empty and will be skipped.\n"
              "Dynamic dependency 'declared' is empty and will be skipped.\n");
}

TEST_F(DependencyList, MissingVariablePropagatesTheResolverError) {
    EXPECT_EQ(failure("x", dynamic("nothing")), "Assignment 'nothing' not found.");
}

TEST_F(DependencyList, BadDependencyStringPassesThroughAsRuntimeError) {
    variables = {assign("deps", str("ok ::a"))};
    EXPECT_THROW(target({dynamic("deps")})->createDependencyList(), std::runtime_error);
}

}  // namespace
}  // namespace Rilk
