#include "types/unique_target_name.h"

#include <gtest/gtest.h>

#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

// The unique name keys a target's cache record and output directory: its spelling must stay.
TEST(UniqueTargetName, LeavesOutEmptyPartsAndAppendsAHashOnlyWhenThereIsOne) {
    EXPECT_EQ(uniqueTargetName({"", "", "app"}, ""), "app");
    EXPECT_EQ(uniqueTargetName({"", "main", "app"}, ""), "main::app");
    EXPECT_EQ(uniqueTargetName({"lib", "", "app"}, ""), "lib/app");
    EXPECT_EQ(uniqueTargetName({"lib", "main", "app"}, "07f89207b4ba08a4"),
              "lib/main::app@07f89207b4ba08a4");
    EXPECT_EQ(parameterHashOf(""), "");
    EXPECT_EQ(parameterHashOf("10"), "07f89207b4ba08a4");
}
