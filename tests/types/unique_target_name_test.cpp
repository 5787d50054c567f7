#include "types/unique_target_name.h"

#include <gtest/gtest.h>

#include "types/parameter_text.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(UniqueTargetName, LeavesOutEmptyPartsAndAppendsAHashOnlyWhenThereIsOne) {
    EXPECT_EQ(uniqueTargetName({"", "", "app"}, ""), "app");
    EXPECT_EQ(uniqueTargetName({"", "main", "app"}, ""), "main::app");
    EXPECT_EQ(uniqueTargetName({"lib", "", "app"}, ""), "lib/app");
    EXPECT_EQ(uniqueTargetName({"lib", "main", "app"}, "07f89207b4ba08a4"),
              "lib/main::app@07f89207b4ba08a4");
    EXPECT_EQ(parameterHashOf(""), "");
    EXPECT_EQ(parameterHashOf("10"), "07f89207b4ba08a4");
}

TEST(UniqueTargetName, IsTheNameOfTheTargetContextOfAnInstance) {
    const QualifiedTargetName name{"lib", "main", "app"};
    const std::vector<std::vector<std::string>> parameterNames = {{}, {"p"}, {"p", "q"}};
    for (const std::vector<std::string>& names : parameterNames) {
        const std::vector<RilkValuePtr> values = {raw("x"), raw("y")};
        const TargetContext context(name, names, values, {}, {}, {});
        const std::vector<RilkValuePtr> used(values.begin(),
                                             values.begin() + static_cast<long>(names.size()));
        EXPECT_EQ(context.uniqueName(),
                  uniqueTargetName(name, parameterHashOf(parameterTextOf(used))));
    }
    // Without parameter names the values passed do not count.
    EXPECT_EQ(TargetContext(name, {}, {raw("x")}, {}, {}, {}).uniqueName(),
              uniqueTargetName(name, ""));
}
