#include "types/text_origins.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace Rilk {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(TextOrigins, ReplacementKeepsOriginsInStepWithTheText) {
    OriginTable table;
    const OriginTable::Id x = table.add({"x"});
    TrackedText text("ab#{x}cd");
    text.replace(2, 4, "XYZ", x);
    EXPECT_EQ(text.text, "abXYZcd");
    EXPECT_THAT(text.origins, ElementsAre(0, 0, x, x, x, 0, 0));
    text.replace(1, 3, "", x);
    EXPECT_EQ(text.text, "aZcd");
    EXPECT_THAT(text.origins, ElementsAre(0, x, 0, 0));
}

TEST(TextOrigins, CommonNamesAreThoseEveryCharacterShares) {
    OriginTable table;
    const OriginTable::Id xy = table.add({"x", "y"});
    const OriginTable::Id yz = table.add({"Y", "z"});
    TrackedText text("");
    text.replace(0, 0, "ab", xy);
    text.replace(2, 0, "cd", yz);
    EXPECT_THAT(text.commonNames(table, 0, 2), ElementsAre("x", "y"));
    EXPECT_THAT(text.commonNames(table, 1, 2), ElementsAre("y"));
    EXPECT_EQ(text.commonOrigin(table, 0, 2), xy);
    EXPECT_THAT(table.names(text.commonOrigin(table, 1, 2)), ElementsAre("y"));
    text.replace(4, 0, "e", 0);
    EXPECT_THAT(text.commonNames(table, 0, 5), IsEmpty());
}

}  // namespace
}  // namespace Rilk
