#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "types/expansion_test_values.h"
#include "types/reference_parser.h"
#include "types/rilk_context_value.h"
#include "types/rilk_errors.h"
#include "types/rilk_int.h"
#include "types/target_context.h"

namespace Rilk {
namespace {

using ::testing::ElementsAre;

RilkValuePtr str(const std::string& text) { return makeString(text); }

Assignment assign(const std::string& name, RilkValuePtr value, AssignType type = AssignType::Set) {
    return Assignment(name, std::move(value), type, AssignModifier::None);
}

Identifier ident(const std::string& text) { return parseReferenceName(text); }

Dependency direct(const std::string& unit, const std::string& target) {
    Dependency record;
    record.target = QualifiedTargetName("", unit, target);
    return record;
}

/// "@deps", with the source marker, macro parameters or an alias when asked.
Dependency dynamic(bool sourceParameter = false, std::vector<std::string> parameters = {},
                   std::uint32_t aliasKind = Dependency::kNoAlias) {
    Dependency record;
    record.target = DynamicDependency{ident("deps"), sourceParameter};
    for (const std::string& p : parameters) record.parameters.push_back(ident(p));
    record.aliasKind = aliasKind;
    record.alias = aliasKind == Dependency::kNoAlias ? "" : "out";
    return record;
}

/// A record as "unit::target(p1,p2)".
std::string describe(const Dependency& record) {
    const auto& name = std::get<QualifiedTargetName>(record.target);
    std::string params;
    for (const Identifier& p : record.parameters)
        params += (params.empty() ? "" : ",") + p.toString();
    return name.unit + "::" + name.target + (params.empty() ? "" : "(" + params + ")");
}

class DependencyList : public ::testing::Test {
protected:
    std::vector<Dependency> expand(RilkValuePtr deps, std::vector<Dependency> records) {
        std::vector<Assignment> variables{assign("base", str("core"))};
        if (deps) variables.push_back(assign("deps", std::move(deps)));
        return std::make_shared<TargetContext>(QualifiedTargetName("", "main", "app"),
                                               std::vector<std::string>{},
                                               std::vector<RilkValuePtr>{}, variables,
                                               std::vector<Condition>{}, std::move(records))
            ->createDependencyList();
    }

    std::vector<std::string> names(RilkValuePtr deps, std::vector<Dependency> records) {
        std::vector<std::string> out;
        for (const Dependency& record : expand(std::move(deps), std::move(records))) {
            EXPECT_FALSE(record.isDynamic());
            out.push_back(describe(record));
        }
        return out;
    }

    std::string failure(const std::string& deps, Dependency macro) {
        try {
            expand(str(deps), {macro});
        } catch (const RilkException& e) {
            return e.message();
        }
        return "no error";
    }
};

TEST_F(DependencyList, StringValuesSplitIntoWordsOutsideParentheses) {
    EXPECT_THAT(names(str("a  b(x, y.z)  c"), {direct("", "first"), dynamic(), direct("u", "z")}),
                ElementsAre("::first", "::a", "::b(x,y.z)", "::c", "u::z"));
    EXPECT_THAT(names(str("${base}_lib tools::${base}"), {dynamic()}),
                ElementsAre("::core_lib", "tools::core"));
    EXPECT_THAT(names(str("a b"), {dynamic(false, {"q"})}), ElementsAre("::a(q)", "::b(q)"));
}

TEST_F(DependencyList, ErrorsNameTheDynamicTextAndTheReason) {
    const struct {
        const char* deps;
        Dependency macro;
        const char* message;
    } cases[] = {
        {"b(x y)", dynamic(), "'b(x y)': invalid parameter 'x y'"},
        {"b(x", dynamic(), "'b(x': unterminated parameter list"},
        {"a b)x", dynamic(), "'a b)x': unmatched ')'"},
        {"b()", dynamic(), "'b()': empty parameter"},
        {"b(x,)", dynamic(), "'b(x,)': empty parameter"},
        {"(x)", dynamic(), "'(x)': empty target name"},
        {"b(x)y", dynamic(), "'b(x)y': unterminated parameter list"},
        {"a(p)", dynamic(false, {"q"}),
         "'a(p)': cannot combine macro parameters with parameters from the resolved dependency "
         "value"},
        {"a(p)", dynamic(true),
         "'a(p)': cannot combine source-parameterized macro with parameters from the resolved "
         "dependency value"},
        {"a b", dynamic(false, {}, Dependency::kAlias),
         "'a b': single output alias cannot be used when a macro expands to multiple "
         "dependencies"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(failure(c.deps, c.macro), std::string("Invalid dynamic dependency ") + c.message);
    }
    EXPECT_EQ(failure("x", direct("", "ok")), "no error");
    EXPECT_THROW(expand(str("ok ::a"), {dynamic()}), std::runtime_error);
    EXPECT_THROW(expand(nullptr, {dynamic()}), NotFoundException);
}

TEST_F(DependencyList, MergeAliasAndModifierGoToEveryTarget) {
    Dependency macro = dynamic(false, {}, Dependency::kMergeAlias);
    macro.modifier = Dependency::kPlus;
    const auto records = expand(str("a b"), {macro});
    ASSERT_EQ(records.size(), 2u);
    for (const Dependency& record : records) {
        EXPECT_EQ(record.aliasKind, Dependency::kMergeAlias);
        EXPECT_EQ(record.alias, "out");
        EXPECT_EQ(record.modifier, Dependency::kPlus);
    }
}

TEST_F(DependencyList, ListsGiveTheirElementsAndContextsTheirVariablesInNameOrder) {
    EXPECT_THAT(names(std::make_shared<RilkList>(
                          std::vector<RilkValuePtr>{str("a"), nullptr, str(" b(p) ")}),
                      {dynamic()}),
                ElementsAre("::a", "::b(p)"));

    auto nested = std::make_shared<Context>();
    nested->addAssignment(assign("y", std::make_shared<RilkInt>(1)), kKeepModifier);
    nested->addAssignment(assign("X", std::make_shared<RilkInt>(2)), kKeepModifier);
    const auto records = expand(std::make_shared<RilkContext>(nested), {dynamic(true)});
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(describe(records[0]) + "=" + records[0].sourceValue->toString(), "::X=2");
    EXPECT_EQ(describe(records[1]) + "=" + records[1].sourceValue->toString(), "::y=1");

    const auto words = expand(str("a u::b"), {dynamic(true)});
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].sourceValue->toString(), "u::b");
}

TEST_F(DependencyList, EmptyValuesAreLoggedAndSkipped) {
    const std::string log = RilkTest::capture(1, [] {
        for (const RilkValuePtr& value :
             {str(""), str("   "), RilkTest::list({}), RilkValuePtr()}) {
            std::vector<Assignment> variables{
                assign("deps", value, value ? AssignType::Set : AssignType::Declare)};
            TargetContext context(QualifiedTargetName("", "u", "t"), {}, {}, variables, {},
                                  {dynamic()});
            EXPECT_TRUE(context.createDependencyList().empty());
        }
    });
    const std::string line =
        "Creating dependency list.\n"
        "Dynamic dependency 'deps' is empty and will be skipped.\n";
    EXPECT_EQ(log, line + line + line + line);
}

}  // namespace
}  // namespace Rilk
