#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "parser/file_visit_support.h"
#include "types/dependency.h"
#include "types/rilk_errors.h"
#include "types/target_context.h"

namespace {

/// A dependency record in one line: modifier, alias, target and parameters, so a table
/// row states the whole expected record.
std::string describe(const Rilk::Dependency& d) {
    std::string text = d.modifier == Rilk::Dependency::kPlus ? "+" : "";
    if (const auto* direct = std::get_if<Rilk::QualifiedTargetName>(&d.target)) {
        text += "direct[" + direct->ns + "|" + direct->unit + "|" + direct->target + "]";
    } else {
        const auto& macro = std::get<Rilk::DynamicDependency>(d.target);
        text += "dynamic[" + macro.identifier.toString() + "]";
        if (macro.sourceParameter) text += " source";
    }
    for (const auto& parameter : d.parameters) text += " (" + parameter.toString() + ")";
    if (d.aliasKind == Rilk::Dependency::kAlias) text += " => " + d.alias;
    if (d.aliasKind == Rilk::Dependency::kMergeAlias) text += " +> " + d.alias;
    if (d.aliasKind == Rilk::Dependency::kNoAlias && !d.alias.empty()) text += " stray alias";
    if (d.sourceValue) text += " with source value";
    return text;
}

std::vector<std::string> dependenciesOf(const std::string& header) {
    auto unit = unitOf(header + " { }");
    std::vector<std::string> described;
    for (const auto& d : unit->targets.begin()->second.dependencies) {
        described.push_back(describe(d));
    }
    return described;
}

struct DependencyCase {
    const char* header;
    std::vector<std::string> expected;
};

void PrintTo(const DependencyCase& c, std::ostream* os) { *os << c.header; }

class DependencyRecords : public testing::TestWithParam<DependencyCase> {};

TEST_P(DependencyRecords, BuildExactlyTheWrittenRecord) {
    EXPECT_EQ(dependenciesOf(GetParam().header), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    VisitDependencies, DependencyRecords,
    testing::Values(DependencyCase{"app:", {}}, DependencyCase{"app: lib", {"direct[||lib]"}},
                    DependencyCase{"app: core::lib", {"direct[|core|lib]"}},
                    DependencyCase{"app: ext/core::lib", {"direct[ext|core|lib]"}},
                    DependencyCase{"app: +lib => l", {"+direct[||lib] => l"}},
                    DependencyCase{"app: lib +> l", {"direct[||lib] +> l"}},
                    DependencyCase{"app: lib(x, y.z)", {"direct[||lib] (x) (y.z)"}},
                    // A parameter list is told apart from the target's block by its brackets.
                    DependencyCase{"t: a (x)", {"direct[||a] (x)"}},
                    DependencyCase{"app: @deps", {"dynamic[deps]"}},
                    DependencyCase{"app: @deps(., x)", {"dynamic[deps] source (x)"}},
                    DependencyCase{"app: @deps(.)", {"dynamic[deps] source"}},
                    DependencyCase{"app: +@cfg.deps[1] +> out", {"+dynamic[cfg.deps[1]] +> out"}},
                    DependencyCase{"app: @deps(a[0]) => one", {"dynamic[deps] (a[0]) => one"}},
                    DependencyCase{
                        "app: b a +ext/u::c(p) @d",
                        {"direct[||b]", "direct[||a]", "+direct[ext|u|c] (p)", "dynamic[d]"}}));

TEST(VisitDependencies, TargetsKeepTheirRecordsInTextOrder) {
    auto unit = unitOf(R"(
        unit core
        lib(mode): +base other/util::fmt @gen(., x) => srcs {
            ^out = libname
            if mode = debug { FLAGS += extra }
        }
    )");
    const Rilk::Target& lib = unit->targets.at("lib");
    EXPECT_EQ(lib.name.toString(), "/core::lib");
    EXPECT_EQ(lib.parameterNames, std::vector<std::string>{"mode"});
    std::vector<std::string> described;
    for (const auto& d : lib.dependencies) described.push_back(describe(d));
    EXPECT_EQ(described, (std::vector<std::string>{"+direct[||base]", "direct[other|util|fmt]",
                                                   "dynamic[gen] source (x) => srcs"}));
}

struct MarkerCase {
    const char* header;
    const char* message;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.header; }

class MisplacedSourceMarker : public testing::TestWithParam<MarkerCase> {};

TEST_P(MisplacedSourceMarker, FailsWithItsMessage) {
    std::string message;
    try {
        unitOf(std::string("unit core ok: { } ") + GetParam().header + " { }");
    } catch (const Rilk::RilkException& e) {
        message = e.message();
    }
    EXPECT_EQ(message, GetParam().message);
}

constexpr const char* kDirectMarker =
    "The source parameter marker '.' can only be used with a dynamic dependency.";
constexpr const char* kLateMarker =
    "The source parameter marker '.' must be the first dependency parameter.";

INSTANTIATE_TEST_SUITE_P(
    VisitDependencies, MisplacedSourceMarker,
    testing::Values(
        MarkerCase{"app: lib(.)", kDirectMarker}, MarkerCase{"app: core::lib(x, .)", kDirectMarker},
        MarkerCase{"app: @deps(x, .)", kLateMarker}, MarkerCase{"app: @deps(., .)", kLateMarker},
        // The marker after another parameter, as in `@gen(x, .)`, is refused.
        MarkerCase{"lib(mode): +base other/util::fmt @gen(x, .) => srcs", kLateMarker}));

/// The records of `name` in a unit text, expanded in a target context made from the target.
std::vector<std::string> expanded(const std::string& text, const std::string& name) {
    auto unit = unitOf(text);
    const Rilk::Target& target = unit->targets.at(name);
    auto context = std::make_shared<Rilk::TargetContext>(
        target.name, target.parameterNames, std::vector<Rilk::RilkValuePtr>{}, target.assignments,
        target.conditions, target.dependencies);
    std::vector<std::string> described;
    for (const auto& d : context->createDependencyList()) {
        described.push_back(describe(d) + (d.sourceValue ? "=" + d.sourceValue->toString() : ""));
    }
    return described;
}

TEST(VisitDependencies, ParsedSourceMarkerHandsEachEntryItsValue) {
    EXPECT_EQ(
        expanded(R"(
        app: @deps(.) +@more(p) +> out {
            deps = { b = "two" a = "one" }
            more = "x"
        }
    )",
                 "app"),
        (std::vector<std::string>{"direct[||a] with source value=one",
                                  "direct[||b] with source value=two", "+direct[||x] (p) +> out"}));
}

}  // namespace
