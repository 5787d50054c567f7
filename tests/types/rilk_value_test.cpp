#include "types/rilk_value.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"
#include "types/value_test_helpers.h"

namespace Rilk {
namespace {

std::vector<RilkValuePtr> samples() {
    return {makeString("1"),
            makePathString("1", "/b"),
            std::make_shared<RilkRawString>("1"),
            std::make_shared<RilkInt>(1),
            std::make_shared<RilkList>(std::vector<RilkValuePtr>{makeString("1")}),
            std::make_shared<RilkList>()};
}

enum class Outcome { True, False, Throws };

Outcome run(bool (RilkValue::*op)(const RilkValue&) const, const RilkValue& a, const RilkValue& b) {
    try {
        return (a.*op)(b) ? Outcome::True : Outcome::False;
    } catch (const BadConversion&) {
        return Outcome::Throws;
    }
}

TEST(RilkValueTest, NotEqualsIsTheExactNegationOfEqualsForEveryPair) {
    for (const RilkValuePtr& a : samples()) {
        for (const RilkValuePtr& b : samples()) {
            const Outcome eq = run(&RilkValue::equals, *a, *b);
            const Outcome ne = run(&RilkValue::notEquals, *a, *b);
            const Outcome expected = eq == Outcome::Throws ? Outcome::Throws
                                     : eq == Outcome::True ? Outcome::False
                                                           : Outcome::True;
            EXPECT_EQ(ne, expected) << a->toDisplayString() << " vs " << b->toDisplayString();
        }
    }
}

TEST(RilkValueTest, RootHasNoIndexing) {
    expectRilkError<IndexException>([] { ForeignValue().get(std::int64_t{1}); },
                                    "Variable <o> cannot be indexed with [1]");
}

TEST(RilkValueTest, EmptyHandlesMakeAnEmptyLoop) {
    const ForeignValue value;
    int visits = 0;
    for (auto it = valueBegin(value), e = valueEnd(value); it != e; ++it) ++visits;
    EXPECT_EQ(visits, 0);
    EXPECT_THROW(*valueBegin(value), InternalError);
    EXPECT_FALSE(valueBegin(value) == valueBegin(*makeString("a")));
}

TEST(RilkValueTest, OnlyReferringValuesAreResolvable) {
    const auto values = samples();
    const std::vector<bool> resolvable = {true, true, false, false, true, true};
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(dynamic_cast<Resolvable*>(values[i].get()) != nullptr, resolvable[i])
            << values[i]->typeName();
    }
}

}  // namespace
}  // namespace Rilk
