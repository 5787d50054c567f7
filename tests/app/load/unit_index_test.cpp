#include "app/load/unit_index.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace {

Rilk::UnitPtr unitWith(const std::string& name, std::initializer_list<const char*> targets) {
    auto unit = std::make_shared<Rilk::Unit>();
    unit->name = name;
    for (const char* target : targets) {
        Rilk::Target t;
        t.name.target = target;
        unit->addTarget(std::move(t));
    }
    return unit;
}

/// A project "app" whose main unit "core" holds build and test, and a unit "gui".
class UnitIndexTest : public testing::Test {
protected:
    UnitIndexTest() {
        index.defaultNamespace = "app";
        index.defaultUnit = "core";
        index.addUnit("app", "core", unitWith("core", {"build", "test"}));
        index.addUnit("app", "gui", unitWith("gui", {"window"}));
    }
    Rilk::UnitIndex index;
};

std::string notFound(const std::function<void()>& lookup) {
    try {
        lookup();
    } catch (const Rilk::NotFoundException& e) {
        return e.message();
    }
    return "found";
}

TEST_F(UnitIndexTest, FindsTargetsIgnoringCaseAndCompletesTheNameInPlace) {
    struct Case {
        Rilk::QualifiedTargetName name;
        std::string outcome;
        std::string completed;
    };
    const Case cases[] = {
        {{"", "", "build"}, "found", "app/core::build"},
        {{"APP", "Core", "BUILD"}, "found", "APP/Core::BUILD"},
        {{"", "GUI", "Window"}, "found", "app/GUI::Window"},
        {{"", "", "missing"}, "Target 'app/core::missing' not found.", "app/core::missing"},
        {{"", "net", "x"}, "Unit 'app/net' not found.", "app/net::x"},
        // The unit stays empty: the namespace fails before the unit is completed.
        {{"lib", "", "x"}, "Namespace 'lib' not found.", "lib/::x"},
    };
    for (Case c : cases) {
        const std::string outcome = notFound([&] { index.findTarget(c.name); });
        EXPECT_EQ(outcome, c.outcome) << c.completed;
        EXPECT_EQ(c.name.toString(), c.completed);
    }
}

TEST_F(UnitIndexTest, NamesAMissingUnitWithoutAnEmptyNamespace) {
    Rilk::UnitIndex plain;
    plain.addUnit("", "1", unitWith("", {"all"}));
    std::string ns, unit = "core";
    EXPECT_EQ(notFound([&] { plain.findUnit(ns, unit); }), "Unit 'core' not found.");
}

TEST_F(UnitIndexTest, TellsWhetherATextNamesATarget) {
    EXPECT_TRUE(index.hasTarget("TEST"));
    EXPECT_TRUE(index.hasTarget("gui::window"));
    EXPECT_TRUE(index.hasTarget("App/Core::build"));
    EXPECT_FALSE(index.hasTarget("build=1"));
    EXPECT_FALSE(index.hasTarget("release"));
    EXPECT_FALSE(index.hasTarget("lib/core::build"));
    EXPECT_FALSE(index.hasTarget("net::build"));
}

TEST_F(UnitIndexTest, ASecondUnitOfAnEqualNameReplacesTheFirstAndKeepsItsKey) {
    const auto replacement = unitWith("CORE", {"other"});
    index.addUnit("APP", "CORE", replacement);
    ASSERT_EQ(index.namespaces.size(), 1u);
    const auto& units = index.namespaces.begin()->second;
    EXPECT_EQ(index.namespaces.begin()->first.str(), "app");
    EXPECT_EQ(units.begin()->first.str(), "core");
    EXPECT_EQ(units.begin()->second, replacement);
}

}  // namespace
