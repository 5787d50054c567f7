#include "types/rilk_identifier.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

TEST(RilkIdentifier, PrintsItsWrittenForm) {
    EXPECT_EQ(ref("a.b[1][2..5][c.d]")->toString(), "a.b[1][2..5][c.d]");
    EXPECT_EQ(ref("x")->toDisplayString(), "x");
    EXPECT_EQ(ref("x")->typeName(), "RilkIdentifier");
}

TEST(RilkIdentifier, RefusesArithmetic) {
    const RilkValuePtr id = ref("a");
    try {
        id->add(*raw("x"));
        FAIL();
    } catch (const BadOperation& e) {
        EXPECT_EQ(e.message(), "a is not resolved yet and '\"x\"' cannot be added.");
    }
    try {
        id->append(*num(2));
        FAIL();
    } catch (const BadOperation& e) {
        EXPECT_EQ(e.message(), "a is not resolved yet and '2' cannot be appended to it.");
    }
}

TEST(RilkIdentifier, EqualsEverythingAndOrdersNothing) {
    const RilkValuePtr id = ref("a");
    for (const RilkValuePtr& other : {list({}), num(1), ref("b"), raw("s")}) {
        EXPECT_TRUE(id->equals(*other));
        EXPECT_FALSE(id->notEquals(*other));
        EXPECT_FALSE(id->less(*other));
        EXPECT_FALSE(id->greater(*other));
    }
    EXPECT_TRUE(valueBegin(*id) == valueEnd(*id));
    EXPECT_THROW(id->get(AccessKey(std::int64_t{0})), IndexException);
}

TEST(RilkIdentifier, ResolvesThroughItsResolverWithoutChanging) {
    Context context;
    set(context, "a", raw("value"));
    const auto id = std::make_shared<RilkIdentifier>(ident("a"));
    EXPECT_THROW(id->resolve(), RilkException);
    id->setResolver(&context);
    EXPECT_EQ(id->resolve()->toString(), "value");
    EXPECT_EQ(id->toString(), "a");
    const RilkValuePtr copy = id->clone();
    EXPECT_EQ(dynamic_cast<Resolvable&>(*copy).resolver(), nullptr);
    EXPECT_EQ(copy->toString(), "a");
}

}  // namespace
}  // namespace Rilk
