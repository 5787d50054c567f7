#include "types/qualified_target_name.h"

#include <gtest/gtest.h>

namespace Rilk {
namespace {

struct NameCase {
    const char* text;
    const char* ns;
    const char* unit;
    const char* target;
};

class QualifiedTargetNameParse : public ::testing::TestWithParam<NameCase> {};

TEST_P(QualifiedTargetNameParse, SplitsAtTheFirstSeparators) {
    const QualifiedTargetName name = QualifiedTargetName::parse(GetParam().text);
    EXPECT_EQ(name.ns, GetParam().ns);
    EXPECT_EQ(name.unit, GetParam().unit);
    EXPECT_EQ(name.target, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Table, QualifiedTargetNameParse,
                         ::testing::Values(NameCase{"app", "", "", "app"},
                                           NameCase{"main::app", "", "main", "app"},
                                           NameCase{"lib/main::app", "lib", "main", "app"},
                                           NameCase{"a/b/c::t", "a", "b/c", "t"},
                                           NameCase{"x::y::z", "", "x", "y::z"},
                                           NameCase{"a/b", "", "", "a/b"},
                                           NameCase{"::t", "", "", "t"}, NameCase{"", "", "", ""}));

TEST(QualifiedTargetName, PrintsBothSeparatorsAlways) {
    EXPECT_EQ(QualifiedTargetName("", "", "app").toString(), "/::app");
    EXPECT_EQ(QualifiedTargetName("lib", "main", "app").toString(), "lib/main::app");
}

}  // namespace
}  // namespace Rilk
