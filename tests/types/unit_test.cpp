#include "types/unit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace Rilk {
namespace {

Target targetNamed(const std::string& name, const std::string& flag) {
    Target target;
    target.name = QualifiedTargetName("", "core", name);
    target.parameterNames.push_back(flag);
    return target;
}

// Units of several files merge through addTarget: a clash names the stored spelling and
// changes nothing, and the default stays the first target of the first file.
TEST(UnitTest, MergingRefusesAClashAndKeepsTheFirstDefault) {
    Unit unit;
    unit.addTarget(targetNamed("app", "first"));
    unit.addTarget(targetNamed("lib", "second"));
    try {
        unit.addTarget(targetNamed("App", "third"));
        FAIL() << "expected std::invalid_argument";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Key already exists: app");
    }
    EXPECT_EQ(unit.targets.size(), 2u);
    EXPECT_EQ(unit.targets.at("APP").parameterNames.at(0), "first");
    EXPECT_EQ(unit.defaultTarget, "app");
}

}  // namespace
}  // namespace Rilk
