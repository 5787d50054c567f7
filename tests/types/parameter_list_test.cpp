#include "types/parameter_list.h"

#include <gtest/gtest.h>

#include "context_test_support.h"

namespace Rilk {
namespace {

using namespace Rilk::testing;

TEST(ParameterList, TrimsNamesAndFillsMissingValues) {
    EXPECT_EQ(trim(" \t\n\v\f\r"), "");
    EXPECT_EQ(trim("  a b\t"), "a b");
    ParameterList params;
    const RilkValuePtr value = num(7);
    addParameter(params, "  x ", nullptr);
    addParameter(params, " \t", nullptr);
    addParameter(params, "y", value);
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0].first, "x");
    EXPECT_EQ(params[0].second->typeName(), "RilkString");
    EXPECT_EQ(params[0].second->toString(), "x");
    EXPECT_EQ(params[1].second, value);
}

}  // namespace
}  // namespace Rilk
