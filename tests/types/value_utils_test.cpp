#include "types/value_utils.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

std::shared_ptr<RilkList> listOf(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}

TEST(ValueUtilsTest, FlattenReturnsLeavesToAnyDepth) {
    const RilkValuePtr a = makeString("a");
    const RilkValuePtr b = makeString("b");
    const RilkValuePtr c = makeString("c");
    const RilkValuePtr one = std::make_shared<RilkInt>(1);
    const auto value = listOf({a, listOf({b}), listOf({listOf({c})}), one});
    EXPECT_EQ(flattenValue(value), (std::vector<RilkValuePtr>{a, b, c, one}));
}

TEST(ValueUtilsTest, FlattenOfALeafOrNothing) {
    const RilkValuePtr s = makeString("s");
    EXPECT_EQ(flattenValue(s), (std::vector<RilkValuePtr>{s}));
    EXPECT_TRUE(flattenValue(std::make_shared<RilkList>()).empty());
    EXPECT_TRUE(flattenValue(nullptr).empty());
}

TEST(ValueUtilsTest, CollectPathsTakesOnlyPathStrings) {
    std::vector<std::filesystem::path> paths{"/kept"};
    collectPaths(listOf({makePathString("x", "/b"), makeString("y"),
                         listOf({makePathString("/abs/z", "/b")}), nullptr}),
                 paths);
    EXPECT_EQ(paths, (std::vector<std::filesystem::path>{"/kept", "/b/x", "/abs/z"}));
    collectPaths(nullptr, paths);
    collectPaths(std::make_shared<RilkRawString>("r"), paths);
    EXPECT_EQ(paths.size(), 3u);
}

}  // namespace
}  // namespace Rilk
