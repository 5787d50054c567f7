#include <variant>

#include "parser/parser_test_support.h"
#include "types/dependency.h"
#include "types/rilk_errors.h"

using Strings = std::vector<std::string>;

/// A dependency record in one line: modifier, target, parameters and alias, so that a table
/// row states the whole expected record.
static std::string describe(const Rilk::Dependency& d) {
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
    return text;
}

TEST(VisitDependencies, BuildExactlyTheWrittenRecordsInTextOrder) {
    const std::pair<const char*, Strings> cases[] = {
        {"app:", {}},
        {"app: ext/core::lib", {"direct[ext|core|lib]"}},
        {"app: +lib => l", {"+direct[||lib] => l"}},
        {"app: lib +> l", {"direct[||lib] +> l"}},
        {"app: lib(x, y.z)", {"direct[||lib] (x) (y.z)"}},
        // A parameter list is told apart from the target's block by its brackets.
        {"t: a (x)", {"direct[||a] (x)"}},
        {"app: @deps", {"dynamic[deps]"}},
        {"app: @deps(., x)", {"dynamic[deps] source (x)"}},
        {"app: @deps(.)", {"dynamic[deps] source"}},
        {"app: +@cfg.deps[1] +> out", {"+dynamic[cfg.deps[1]] +> out"}},
        {"app: @deps(a[0]) => one", {"dynamic[deps] (a[0]) => one"}},
        {"app: b a +ext/u::c(p) core::d",
         {"direct[||b]", "direct[||a]", "+direct[ext|u|c] (p)", "direct[|core|d]"}}};
    for (const auto& [header, expected] : cases) {
        auto unit = unitOf(header + std::string(" { }"));
        Strings records;
        for (const auto& d : unit->targets.begin()->second.dependencies) {
            records.push_back(describe(d));
        }
        EXPECT_EQ(records, expected) << header;
    }
}

TEST(VisitDependencies, MisplacedSourceMarkerFailsWithItsMessage) {
    const char* direct =
        "The source parameter marker '.' can only be used with a dynamic dependency.";
    const char* late = "The source parameter marker '.' must be the first dependency parameter.";
    const std::pair<const char*, const char*> cases[] = {
        {"app: lib(.)", direct},
        {"app: core::lib(x, .)", direct},
        {"app: @deps(x, .)", late},
        {"app: @deps(., .)", late},
        // The marker after another parameter, as in `@gen(x, .)`, is refused.
        {"lib(mode): +base other/util::fmt @gen(x, .) => srcs", late}};
    for (const auto& [header, message] : cases) {
        std::string error;
        try {
            unitOf(std::string("unit core ok: { } ") + header + " { }");
        } catch (const Rilk::RilkException& e) {
            error = e.message();
        }
        EXPECT_EQ(error, message) << header;
    }
}
