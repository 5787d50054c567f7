#include "types/unit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "types/rilk_string.h"

namespace Rilk {
namespace {

Target targetNamed(const std::string& name) {
    Target target;
    target.name = QualifiedTargetName("", "core", name);
    target.assignments.emplace_back("X", makeString(name), AssignType::Set, AssignModifier::None);
    return target;
}

std::vector<std::string> keysOf(const Unit& unit) {
    std::vector<std::string> keys;
    for (const auto& [key, target] : unit.targets) keys.push_back(key.str());
    return keys;
}

TEST(UnitTest, KeysOrderIgnoringCaseAndFirstTargetIsDefault) {
    Unit unit;
    for (const char* name : {"b", "A", "c"}) unit.addTarget(targetNamed(name));

    EXPECT_EQ(keysOf(unit), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(unit.defaultTarget, "b");
    const Target& a = unit.targets.at("a");
    EXPECT_EQ(a.name.toString(), "/core::A");
    ASSERT_EQ(a.assignments.size(), 1u);
    EXPECT_EQ(a.assignments[0].value->toString(), "A");
}

TEST(UnitTest, DuplicateNameNamesTheStoredSpellingAndChangesNothing) {
    Unit unit;
    unit.addTarget(targetNamed("app"));
    try {
        unit.addTarget(targetNamed("App"));
        FAIL() << "expected std::invalid_argument";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Key already exists: app");
    }
    EXPECT_EQ(keysOf(unit), (std::vector<std::string>{"app"}));
    EXPECT_EQ(unit.targets.at("APP").assignments[0].value->toString(), "app");
    EXPECT_EQ(unit.defaultTarget, "app");
}

TEST(UnitTest, DefaultTargetStaysTheFirstAcrossMergedFiles) {
    Unit unit;
    unit.addTarget(targetNamed("first"));
    Unit second;
    second.addTarget(targetNamed("other"));
    for (auto& [key, target] : second.targets) unit.addTarget(std::move(target));
    EXPECT_EQ(unit.defaultTarget, "first");
    EXPECT_EQ(unit.targets.size(), 2u);
}

}  // namespace
}  // namespace Rilk
