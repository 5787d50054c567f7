// The kind tag must answer every type test exactly as the class hierarchy does.
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"
#include "types/types_test_support.h"
#include "types/value_cast.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

template <class T>
void expectSameAsDynamicCast(const std::vector<RilkValuePtr>& values) {
    for (const RilkValuePtr& value : values) {
        RilkValue* plain = value.get();
        const RilkValue* constant = value.get();
        EXPECT_EQ(valueCast<T>(plain), dynamic_cast<T*>(plain)) << value->typeName();
        EXPECT_EQ(valueCast<const T>(constant), dynamic_cast<const T*>(constant))
            << value->typeName();
        EXPECT_EQ(valuePointerCast<T>(value), std::dynamic_pointer_cast<T>(value));
    }
}

}  // namespace

TEST(ValueCast, AgreesWithTheClassHierarchyForEveryKind) {
    const std::vector<RilkValuePtr> values = {
        std::make_shared<RilkBaseString>("base"),
        raw("raw"),
        str("plain"),
        makePathString("p", "/base"),
        num(7),
        list({str("a")}),
        ref("name"),
        nested(std::make_shared<Context>()),
    };
    expectSameAsDynamicCast<RilkBaseString>(values);
    expectSameAsDynamicCast<RilkRawString>(values);
    expectSameAsDynamicCast<RilkString>(values);
    expectSameAsDynamicCast<RilkPathString>(values);
    expectSameAsDynamicCast<RilkInt>(values);
    expectSameAsDynamicCast<RilkList>(values);
    expectSameAsDynamicCast<RilkIdentifier>(values);
    expectSameAsDynamicCast<RilkContext>(values);
    for (const RilkValuePtr& value : values) {
        EXPECT_EQ(asResolvable(value.get()), dynamic_cast<Resolvable*>(value.get()))
            << value->typeName();
    }
    EXPECT_EQ(valueCast<RilkList>(static_cast<RilkValue*>(nullptr)), nullptr);
    EXPECT_EQ(asResolvable(static_cast<RilkValue*>(nullptr)), nullptr);
}
