#include <gmock/gmock.h>

#include <stdexcept>

#include "types/dependency_string.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;
using ::testing::ElementsAre;

namespace {

Dependency direct(const std::string& unit, const std::string& target) {
    Dependency record;
    record.target = QualifiedTargetName("", unit, target);
    return record;
}

/// "@deps", with the source marker, macro parameters or an alias "out" when asked.
Dependency dynamic(bool source = false, std::vector<std::string> parameters = {},
                   std::uint32_t aliasKind = Dependency::kNoAlias) {
    Dependency record;
    record.target = DynamicDependency{ident("deps"), source};
    for (const std::string& p : parameters) record.parameters.push_back(ident(p));
    record.aliasKind = aliasKind;
    record.alias = aliasKind ? "out" : "";
    return record;
}

/// The list of a target whose variable `deps` holds `deps`; each record as
/// "+ns|unit|target(p1,p2) +> alias=source value", with the parts it has.
std::vector<std::string> expand(RilkValuePtr deps, std::vector<Dependency> records) {
    const AssignType type = deps ? AssignType::Set : AssignType::Declare;
    TargetContext context(QualifiedTargetName("", "main", "app"), {}, {},
                          {assign("base", str("core")), assign("deps", deps, type)}, {}, records);
    std::vector<std::string> out;
    for (const Dependency& record : context.createDependencyList()) {
        std::string text = record.modifier == Dependency::kPlus ? "+" : "";
        text += fields(std::get<QualifiedTargetName>(record.target));
        for (std::size_t i = 0; i < record.parameters.size(); ++i) {
            text += (i ? "," : "(") + record.parameters[i].toString();
        }
        if (!record.parameters.empty()) text += ")";
        if (record.aliasKind == Dependency::kMergeAlias) text += " +> " + record.alias;
        out.push_back(text + (record.sourceValue ? "=" + record.sourceValue->toString() : ""));
    }
    return out;
}

}  // namespace

TEST(DependencyList, StringValuesSplitIntoWordsThatTakeTheMacrosSettings) {
    EXPECT_THAT(expand(str("a  b(x, y.z)  c"), {direct("", "first"), dynamic(), direct("u", "z")}),
                ElementsAre("||first", "||a", "||b(x,y.z)", "||c", "|u|z"));
    EXPECT_THAT(expand(str("${base}_lib tools::${base}"), {dynamic()}),
                ElementsAre("||core_lib", "|tools|core"));
    EXPECT_THAT(expand(str("a b"), {dynamic(false, {"q"})}), ElementsAre("||a(q)", "||b(q)"));
    Dependency merged = dynamic(false, {}, Dependency::kMergeAlias);
    merged.modifier = Dependency::kPlus;
    EXPECT_THAT(expand(str("a b"), {merged}), ElementsAre("+||a +> out", "+||b +> out"));
}

TEST(DependencyList, ListsGiveTheirElementsAndContextsTheirVariablesInNameOrder) {
    EXPECT_THAT(expand(list({str("a"), nullptr, str(" b(p) ")}), {dynamic()}),
                ElementsAre("||a", "||b(p)"));
    auto inner = std::make_shared<Context>();
    set(set(*inner, "y", num(1)), "X", num(2));
    EXPECT_THAT(expand(nested(inner), {dynamic(true)}), ElementsAre("||X=2", "||y=1"));
    EXPECT_THAT(expand(str("a u::b"), {dynamic(true)}), ElementsAre("||a=a", "|u|b=u::b"));
}

TEST(DependencyList, ErrorsNameTheDynamicTextAndTheReason) {
    const std::tuple<const char*, Dependency, const char*> cases[] = {
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
         "dependencies"}};
    for (const auto& [deps, macro, message] : cases) {
        EXPECT_EQ(errorText([&] { expand(str(deps), {macro}); }),
                  std::string("Invalid dynamic dependency ") + message);
    }
    // A text that is no target name is told as the error of the variable holding it.
    EXPECT_EQ(errorText<VariableError>([&] { expand(str("ok ::a"), {dynamic()}); }),
              "Variable 'deps': Invalid dynamic dependency '::a': Dependency string has empty "
              "prefix or target: ::a");
    Dependency missing = dynamic();
    std::get<DynamicDependency>(missing.target).identifier = ident("nothing");
    EXPECT_THROW(expand(str("a"), {missing}), NotFoundException);
}

TEST(DependencyList, AModifierOrAnAliasInTheValueIsNamedAsNotAllowedThere) {
    const std::string rest =
        " cannot stand in a value that names dependencies, which holds target names and their "
        "parameters only; write '+', '=>' or '+>' with the reference in the unit file (+@deps, "
        "@deps => name, @deps +> name)";
    // A list element or a block's name is the subject; a string's words, the whole string.
    const std::pair<RilkValuePtr, std::string> cases[] = {
        {list({str("greet(a) +> parts")}), "'greet(a) +> parts': '+>'"},
        {list({str("a"), str("greet => g")}), "'greet => g': '=>'"},
        {list({str("+greet")}), "'+greet': '+'"},
        {str("greet(a) +> parts"), "'greet(a) +> parts': '+>'"},
        {str("a +lib"), "'a +lib': '+'"},
    };
    for (const auto& [deps, message] : cases) {
        EXPECT_EQ(errorText([&] { expand(deps, {dynamic()}); }),
                  "Variable 'deps': Invalid dynamic dependency " + message + rest)
            << deps->toString();
    }
    // A '+' inside a name or a parameter list is no modifier.
    EXPECT_THAT(expand(list({str("a+b")}), {dynamic()}), ElementsAre("||a+b"));
}

TEST(DependencyList, EmptyValuesAreLoggedAndSkipped) {
    const std::string log = capture(1, [] {
        for (const RilkValuePtr& value : {RilkValuePtr(str("")), RilkValuePtr(str("   ")),
                                          RilkValuePtr(list()), RilkValuePtr()}) {
            EXPECT_TRUE(expand(value, {dynamic()}).empty());
        }
    });
    const std::string line =
        "Creating dependency list.\nDynamic dependency 'deps' is empty and will be skipped.\n";
    EXPECT_EQ(log, line + line + line + line);
}

TEST(ParseDependencyString, SplitsNamespaceUnitAndTargetOrRefusesEmptyParts) {
    const std::pair<const char*, const char*> cases[] = {
        {"a", "||a"},
        {"u::a", "|u|a"},
        {"ns/u::a", "ns|u|a"},
        {"ns/u::a::b", "ns|u|a::b"},
        {"x/y/z::t", "x|y/z|t"},
        {"a/b", "||a/b"},
        {" u :: a ", "| u | a "},
        {"::a", "Dependency string has empty prefix or target: ::a"},
        {"u::", "Dependency string has empty prefix or target: u::"},
        {"/u::a", "Dependency string has empty ns or unit: /u::a"},
        {"ns/::a", "Dependency string has empty ns or unit: ns/::a"},
        {"", "Dependency string is empty"}};
    for (const auto& [text, expected] : cases) {
        std::string parsed;
        const auto error =
            errorText<std::runtime_error>([&] { parsed = fields(parseDependencyString(text)); });
        EXPECT_EQ(parsed.empty() ? error : parsed, expected) << text;
    }
}

TEST(DependencyList, TheListWithoutDynamicDependenciesIsTheRecordsThemselves) {
    const std::pair<std::vector<Dependency>, bool> cases[] = {
        {{}, true},
        {{direct("", "a"), direct("u", "b")}, true},
        {{direct("", "a"), dynamic()}, false},
    };
    for (const auto& [records, itself] : cases) {
        TargetContext context(QualifiedTargetName("", "main", "app"), {}, {},
                              {assign("deps", str("x y"))}, {}, records);
        std::vector<Dependency> storage;
        const std::vector<Dependency>* list = nullptr;
        const std::string log = capture(0, [&] { list = &context.dependencyList(storage); });
        EXPECT_EQ(log, "Creating dependency list.\n");
        EXPECT_EQ(list == &context.dependencies, itself);
        EXPECT_EQ(list->size(), context.createDependencyList().size());

        // Made from a target template, the context reads the template's records in place.
        Target target;
        target.assignments = {assign("deps", str("x y"))};
        target.dependencies = records;
        TargetContext fromTemplate(QualifiedTargetName("", "main", "app"), target, {});
        EXPECT_TRUE(fromTemplate.dependencies.empty());
        std::vector<Dependency> ownStorage;
        EXPECT_EQ(&fromTemplate.dependencyList(ownStorage) == &target.dependencies, itself);
        EXPECT_EQ(fromTemplate.createDependencyList().size(), list->size());
    }
}
