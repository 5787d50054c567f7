#include "types/types_test_support.h"

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
