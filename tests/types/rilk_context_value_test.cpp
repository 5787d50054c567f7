#include <functional>
#include <tuple>

#include "types/types_test_support.h"
#include "types/value_cast.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

std::shared_ptr<RilkContext> contextValue(std::vector<Assignment> assignments) {
    auto context = std::make_shared<Context>();
    for (const Assignment& a : assignments) context->addAssignment(a, kKeepModifier);
    return nested(context);
}

}  // namespace

TEST(RilkContext, TextAndIterationGiveTheVariableNamesInNameOrder) {
    const auto value = contextValue({assign("b", num(1)), assign("A", num(2))});
    EXPECT_EQ(value->toString(), "A b");
    EXPECT_EQ(texts(*value), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ((*valueBegin(*value))->typeName(), "RilkString");
    EXPECT_THROW(value->begin()->equals(*list({raw("x")})->begin()), InternalError);
}

TEST(RilkContext, AStringDeclaresInTheSharedContextAContextIsAddedToACopy) {
    const auto value = contextValue({assign("NAME", num(1))});
    value->append(*str("name"));
    EXPECT_EQ(value->context()->getVariable("NAME"), nullptr);
    const RilkValuePtr declared = value->add(*str("other"));
    EXPECT_TRUE(value->context()->hasVariable("other"));
    EXPECT_EQ(dynamic_cast<RilkContext&>(*declared).context(), value->context());
    EXPECT_THROW(value->append(*raw("x")), BadConversion);

    const auto left = contextValue({assign("b", raw("x"))});
    const auto right =
        contextValue({assign("b", raw("y"), AssignType::Append), assign("c", num(1))});
    const RilkValuePtr added = left->add(*right);
    const Context& sum = *dynamic_cast<RilkContext&>(*added).context();
    EXPECT_EQ(textOf(sum, "b"), "x y");
    EXPECT_EQ(textOf(*left->context(), "b"), "x");
    EXPECT_FALSE(left->context()->hasVariable("c"));
    EXPECT_NE(sum.getVariable("c"), right->context()->getVariable("c"));
    left->append(*right);
    EXPECT_EQ(textOf(*left->context(), "b"), "x y");
}

TEST(RilkContext, GetComparisonsAndResolver) {
    const RilkValuePtr id = ref("outer");
    const auto value = contextValue({assign("x", id)});
    EXPECT_EQ(value->get(nameKey("X")), id);
    EXPECT_THROW(value->get(nameKey("y")), NotFoundException);
    EXPECT_EQ(errorText<ValueError>([&] { value->get(AccessKey(std::int64_t{0})); }),
              "A context value (holding x) cannot be indexed with [0]; name one of its variables "
              "instead.");
    EXPECT_TRUE(value->equals(*value->clone()));
    EXPECT_FALSE(value->equals(*contextValue({assign("x", id)})));
    EXPECT_TRUE(value->less(*contextValue({assign("x", id), assign("y", id)})));
    EXPECT_THROW(value->equals(*raw("a")), BadConversion);
    Context outer;
    set(set(outer, "outer", raw("o")), "cfg", value);
    EXPECT_EQ(dynamic_cast<Resolvable&>(*id).resolver(), &outer);
    EXPECT_EQ(value->resolve(), value);
    EXPECT_EQ(textOf(*value->context(), "x"), "o");
}

namespace {

/// A context as a build leaves an output: its variables resolved.
ContextPtr resolvedOutput(std::vector<Assignment> assignments) {
    auto context = std::make_shared<Context>();
    for (const Assignment& a : assignments) context->addAssignment(a, kKeepModifier);
    context->resolveAll();
    return context;
}

}  // namespace

TEST(RilkContextReadOnlyView, EveryChangeThroughAViewOrItsClonesLeavesTheSharedContextAlone) {
    using Change = std::function<void(RilkContext&)>;
    const std::pair<const char*, Change> changes[] = {
        {"append context", [](RilkContext& v) { v.append(*contextValue({assign("Y", num(2))})); }},
        {"append name", [](RilkContext& v) { v.append(*str("Y")); }},
        {"add name", [](RilkContext& v) { v.add(*str("Y")); }},
        {"change by hand", [](RilkContext& v) { set(*v.contextForChange(), "Y", num(2)); }},
    };
    for (const auto& [label, change] : changes) {
        const ContextPtr shared = resolvedOutput({assign("X", str("x"))});
        const auto view = RilkContext::readOnlyView(shared);
        const auto clone = std::dynamic_pointer_cast<RilkContext>(view->clone());
        const auto other = RilkContext::readOnlyView(shared);
        change(*clone);
        EXPECT_FALSE(shared->hasVariable("Y")) << label;
        EXPECT_EQ(other->toString(), "X") << label;
        // The view and its clones go on sharing one context, as one nested context would.
        EXPECT_TRUE(view->context()->hasVariable("Y")) << label;
        EXPECT_EQ(view->context(), clone->context()) << label;
        EXPECT_EQ(textOf(*view->context(), "X"), "x") << label;
    }
}

TEST(RilkContextReadOnlyView, BindingLeavesTheSharedValuesAloneAndViewsCompareAsCopies) {
    const ContextPtr shared = resolvedOutput({assign("X", str("x"))});
    auto* text = asResolvable(shared->getVariable("X").get());
    const Resolver* before = text->resolver();
    Context dependent;
    dependent.addAssignment(assign("dep", RilkContext::readOnlyView(shared)), kKeepModifier);
    EXPECT_EQ(text->resolver(), before);
    EXPECT_EQ(resolveIn(dependent, "${dep.X}")->toString(), "x");

    const auto view = RilkContext::readOnlyView(shared);
    EXPECT_TRUE(view->equals(*view->clone()));
    EXPECT_FALSE(view->equals(*RilkContext::readOnlyView(shared)));
    EXPECT_FALSE(view->equals(*nested(shared)));
}

TEST(RilkContextReadOnlyView, OnlyResolvedContextsOfSelfContainedValuesAreShareable) {
    auto literal = std::make_shared<RilkPathString>("/a/b", "");
    literal->markLiteral();
    const std::tuple<const char*, RilkValuePtr, bool> cases[] = {
        {"plain text", str("x"), true},
        {"number", num(1), true},
        {"no value", nullptr, true},
        {"resolved path", literal, true},
        {"relative path", std::make_shared<RilkPathString>("a/*.c", "/d"), false},
        {"reference", str("${other}"), false},
        {"list", list({str("x")}), false},
        {"nested context", nested(std::make_shared<Context>()), false},
    };
    for (const auto& [label, value, shareable] : cases) {
        Context context;
        context.addAssignment(assign("other", str("o")), kKeepModifier);
        context.addAssignment(assign("V", value), kKeepModifier);
        EXPECT_FALSE(isReadOnlyShareable(context)) << label;
        resolveSelfContained(context);
        EXPECT_EQ(isReadOnlyShareable(context), shareable) << label;
        // Left unresolved otherwise: a dependent resolves it where it reads it.
        EXPECT_EQ(context.assignments.at(Util::CiString("other")).resolved, shareable) << label;
    }
}
