#include <set>

#include "types/parameter_text.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

std::shared_ptr<TargetContext> instance(std::vector<std::string> names,
                                        std::vector<RilkValuePtr> values,
                                        std::vector<Assignment> assignments = {},
                                        QualifiedTargetName name = {"lib", "main", "app"}) {
    return std::make_shared<TargetContext>(name, names, values, assignments,
                                           std::vector<Condition>{}, std::vector<Dependency>(1));
}

}  // namespace

TEST(TargetContext, AppliesParametersOverTheTemplate) {
    const RilkValuePtr callers = raw("1");
    const auto target = instance({"A", "b", "c"}, {callers, raw("23")},
                                 {assign("a", raw("t")), assign("C", raw("kept"))});
    EXPECT_EQ(target->assignments.at("a").name, "a");
    EXPECT_EQ(textOf(*target, "b"), "23");
    EXPECT_EQ(textOf(*target, "c"), "kept");
    EXPECT_EQ(target->dependencies.size(), 1u);
    // The build works on a copy of the caller's value.
    set(*target, "a", raw("more"), AssignType::Append);
    EXPECT_EQ(textOf(*target, "a"), "1 more");
    EXPECT_EQ(callers->toString(), "1");
}

TEST(TargetContext, UniqueNamesJoinTheNonEmptyPartsAndTheParameterHash) {
    EXPECT_EQ(instance({}, {}, {}, {"", "", "app"})->uniqueName(), "app");
    EXPECT_EQ(instance({}, {}, {}, {"", "main", "app"})->uniqueName(), "main::app");
    EXPECT_EQ(instance({}, {})->uniqueName(), "lib/main::app");
    EXPECT_EQ(instance({"p"}, {raw("abc")})->uniqueName(), "lib/main::app@e71fa2190541574b");
    EXPECT_EQ(instance({"p"}, {raw("x"), raw("y")})->parameterText, "x");
    EXPECT_NE(instance({"a", "b"}, {raw("12"), raw("3")})->uniqueName(),
              instance({"a", "b"}, {raw("1"), raw("23")})->uniqueName());
    auto target = instance({}, {});
    EXPECT_EQ(target->parameterHash(), "");
    target->parameterText = "10";  // a hash below 2^60 keeps its leading zeros
    EXPECT_EQ(target->parameterHash(), "07f89207b4ba08a4");
}

TEST(TargetContext, CanBeMadeFromAnotherContextAndPrintsItsName) {
    Context context;
    set(context, "x", num(1));
    const ContextPtr target =
        std::make_shared<TargetContext>(context, QualifiedTargetName("", "u", "t"));
    EXPECT_EQ(capture(1, [&] { target->print(3); }), "/u::t\n{\nx = 1\n}\n\n");
}

TEST(QualifiedTargetName, ParseSplitsAtTheFirstSeparatorsToStringPrintsBoth) {
    const std::pair<const char*, const char*> cases[] = {{"app", "||app"},
                                                         {"main::app", "|main|app"},
                                                         {"lib/main::app", "lib|main|app"},
                                                         {"a/b/c::t", "a|b/c|t"},
                                                         {"x::y::z", "|x|y::z"},
                                                         {"a/b", "||a/b"},
                                                         {"::t", "||t"},
                                                         {"", "||"}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(fields(QualifiedTargetName::parse(text)), expected) << text;
    }
    EXPECT_EQ(QualifiedTargetName("", "", "app").toString(), "/::app");
    EXPECT_EQ(QualifiedTargetName("lib", "main", "app").toString(), "lib/main::app");
}

TEST(ParameterText, ASingleValueKeepsItsTextAndNoTwoListsMeet) {
    const auto textOf = [](std::vector<const char*> texts) {
        std::vector<RilkValuePtr> values;
        for (const char* t : texts) values.push_back(t ? raw(t) : nullptr);
        return parameterTextOf(values);
    };
    EXPECT_EQ(textOf({}), "");
    EXPECT_EQ(textOf({"a b,c"}), "a b,c");
    // \037 is the unit separator, a likely choice of separator.
    const std::vector<std::vector<const char*>> lists = {
        {},          {""},      {nullptr},       {"", ""},       {"12", "3"},
        {"1", "23"}, {"123"},   {"1", "2", "3"}, {"a\037", "b"}, {"a", "\037b"},
        {"a\037,b"}, {"\037E"}, {"\0370"},       {nullptr, ""},  {"a\037\037", ",b"}};
    std::set<std::string> seen;
    for (const auto& texts : lists) EXPECT_TRUE(seen.insert(textOf(texts)).second) << seen.size();
}

TEST(ParameterText, KindsOfValuesNeverMeetAndAPlainStringKeepsItsText) {
    EXPECT_EQ(parameterTextOf({str("abc")}), "abc");
    const std::vector<std::vector<RilkValuePtr>> values = {{list({raw("a"), raw("b")})},
                                                           {raw("a b")},
                                                           {num(1)},
                                                           {raw("1")},
                                                           {list({raw("1")})},
                                                           {list({list({raw("a")}), raw("b")})},
                                                           {list({raw("a"), list({raw("b")})})},
                                                           {ref("a")},
                                                           {raw("a")},
                                                           {list()}};
    std::set<std::string> seen;
    for (const auto& each : values) {
        EXPECT_TRUE(seen.insert(parameterTextOf(each)).second) << parameterTextOf(each);
    }
}

TEST(TargetContext, InstancesOfOneTemplateOwnTheirNestedValues) {
    auto inner = std::make_shared<Context>();
    set(*inner, "v", raw("1"));
    const std::vector<Assignment> templateList = {assign("c", nested(inner)),
                                                  assign("l", list({nested(inner)}))};
    const auto first = instance({}, {}, templateList);
    const auto second = instance({}, {}, templateList);
    const auto appendInto = [](const RilkValuePtr& value) {
        auto& context = *dynamic_cast<RilkContext&>(*value).context();
        set(context, "v", raw("2"), AssignType::Append);
    };
    appendInto(first->getVariable("c"));
    appendInto(dynamic_cast<RilkList&>(*first->getVariable("l")).elements().front());
    for (const auto& context :
         {second->getVariable("c"),
          dynamic_cast<RilkList&>(*second->getVariable("l")).elements().front()}) {
        EXPECT_EQ(textOf(*dynamic_cast<RilkContext&>(*context).context(), "v"), "1");
    }
    EXPECT_EQ(textOf(*inner, "v"), "1");
}
