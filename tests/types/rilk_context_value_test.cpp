#include "types/rilk_context_value.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

std::shared_ptr<RilkContext> contextValue(std::vector<Assignment> assignments) {
    auto context = std::make_shared<Context>();
    for (const Assignment& a : assignments) context->addAssignment(a, kKeepModifier);
    return nested(context);
}

TEST(RilkContext, TextIsTheVariableNamesInNameOrder) {
    const auto value = contextValue({assign("b", num(1)), assign("A", num(2))});
    EXPECT_EQ(value->toString(), "A b");
    EXPECT_EQ(value->toDisplayString(), "A b");
    EXPECT_EQ(contextValue({})->toString(), "");
    std::vector<std::string> names;
    for (auto it = valueBegin(*value), end = valueEnd(*value); !(it == end); ++it) {
        names.push_back((*it)->toString());
        EXPECT_EQ((*it)->typeName(), "RilkString");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b"}));
    EXPECT_THROW(value->begin()->equals(*list({raw("x")})->begin()), InternalError);
}

TEST(RilkContext, AppendOfAStringDeclaresTheVariable) {
    const auto value = contextValue({assign("NAME", num(1))});
    value->append(*str("name"));
    value->append(*str("other"));
    EXPECT_TRUE(value->context()->hasVariable("other"));
    EXPECT_EQ(value->context()->getVariable("NAME"), nullptr);
    EXPECT_THROW(value->append(*raw("x")), BadConversion);
    EXPECT_THROW(value->append(*num(1)), BadConversion);
}

TEST(RilkContext, AddOfAStringDeclaresInTheSharedContext) {
    const auto value = contextValue({});
    const RilkValuePtr sum = value->add(*str("n"));
    EXPECT_TRUE(value->context()->hasVariable("n"));
    EXPECT_EQ(dynamic_cast<RilkContext&>(*sum).context(), value->context());
}

TEST(RilkContext, AddOfAContextChangesNeitherOperand) {
    const auto left = contextValue({assign("a", raw("1")), assign("b", raw("x"))});
    const auto right = contextValue(
        {assign("b", raw("y"), AssignType::Append), assign("c", raw("z"), AssignType::SetIfUnset)});
    right->context()->conditions.push_back(Condition{});
    const RilkValuePtr sum = left->add(*right);
    const Context& merged = *dynamic_cast<RilkContext&>(*sum).context();
    EXPECT_EQ(textOf(merged, "b"), "x y");
    EXPECT_EQ(textOf(merged, "c"), "z");
    EXPECT_TRUE(merged.conditions.empty());
    EXPECT_EQ(textOf(*left->context(), "b"), "x");
    EXPECT_FALSE(left->context()->hasVariable("c"));
    EXPECT_NE(merged.getVariable("c"), right->context()->getVariable("c"));
    EXPECT_THROW(left->add(*list({})), BadConversion);
}

TEST(RilkContext, AppendOfAContextMergesInPlace) {
    const auto left = contextValue({assign("b", raw("x"))});
    left->append(*contextValue({assign("b", raw("y"), AssignType::Append), assign("c", num(1))}));
    EXPECT_EQ(textOf(*left->context(), "b"), "x y");
    EXPECT_EQ(textOf(*left->context(), "c"), "1");
}

TEST(RilkContext, GetReturnsTheStoredValueByName) {
    const RilkValuePtr stored = ref("other");
    const auto value = contextValue({assign("x", stored)});
    EXPECT_EQ(value->get(nameKey("X")), stored);
    EXPECT_THROW(value->get(nameKey("y")), NotFoundException);
    EXPECT_THROW(value->get(AccessKey(std::int64_t{0})), std::bad_variant_access);
}

TEST(RilkContext, ComparesByIdentityAndSize) {
    const auto one = contextValue({assign("a", num(1))});
    const auto two = contextValue({assign("a", num(1)), assign("b", num(1))});
    EXPECT_TRUE(one->equals(*one->clone()));
    EXPECT_FALSE(one->equals(*contextValue({assign("a", num(1))})));
    EXPECT_TRUE(two->greater(*one));
    EXPECT_TRUE(one->less(*two));
    EXPECT_THROW(one->equals(*raw("a")), BadConversion);
    EXPECT_THROW(one->less(*num(1)), BadConversion);
}

TEST(RilkContext, PassesItsResolverToTheNestedValues) {
    const RilkValuePtr id = ref("outer");
    const auto value = contextValue({assign("x", id), assign("n", nullptr, AssignType::Declare)});
    Context outer;
    set(outer, "outer", raw("o"));
    set(outer, "cfg", value);
    EXPECT_EQ(value->resolver(), &outer);
    EXPECT_EQ(dynamic_cast<Resolvable&>(*id).resolver(), &outer);
    EXPECT_EQ(value->resolve(), value);
    EXPECT_EQ(textOf(*value->context(), "x"), "o");
}

TEST(IndependentCopy, SharesNoNestedContext) {
    const auto value = contextValue({assign("a", num(1))});
    const RilkValuePtr copy = independentCopy(value);
    EXPECT_NE(dynamic_cast<RilkContext&>(*copy).context(), value->context());
    EXPECT_EQ(copy->toString(), "a");
    EXPECT_EQ(independentCopy(nullptr), nullptr);
    EXPECT_EQ(dynamic_cast<RilkContext&>(*value->clone()).context(), value->context());
}

}  // namespace
}  // namespace Rilk
