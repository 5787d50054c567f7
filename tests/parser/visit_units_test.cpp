#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "parser/file_visit_support.h"
#include "parser/visit_test_support.h"
#include "types/context.h"

namespace {

std::vector<std::string> qualifiedNames(const Rilk::Unit& unit) {
    std::vector<std::string> names;
    for (const auto& [key, target] : unit.targets) names.push_back(target.name.toString());
    return names;
}

TEST(VisitUnits, TargetsIterateIgnoringCaseAndTheFirstWrittenIsDefault) {
    auto unit = unitOf("unit core\n b: { }\n A: { }\n c: { }\n");
    EXPECT_EQ(unit->name, "core");
    EXPECT_EQ(qualifiedNames(*unit),
              (std::vector<std::string>{"/core::A", "/core::b", "/core::c"}));
    EXPECT_EQ(unit->defaultTarget, "b");
}

TEST(VisitUnits, WithoutUnitLineTheUnitComponentIsEmpty) {
    auto unit = unitOf("lib(kind, arch): { }");
    EXPECT_EQ(unit->name, "");
    EXPECT_EQ(qualifiedNames(*unit), std::vector<std::string>{"/::lib"});
    const Rilk::Target& lib = unit->targets.at("LIB");
    EXPECT_EQ(lib.parameterNames, (std::vector<std::string>{"kind", "arch"}));
    EXPECT_TRUE(lib.dependencies.empty());
    EXPECT_TRUE(lib.assignments.empty());
}

TEST(VisitUnits, EmptyFileGivesUnitWithoutTargets) {
    auto unit = unitOf("");
    EXPECT_TRUE(unit->targets.empty());
    EXPECT_EQ(unit->defaultTarget, "");
}

TEST(VisitUnits, FailuresDiscardTheUnit) {
    EXPECT_EQ(errorText<std::invalid_argument>([] { unitOf("app: { } App: { }"); }),
              "Key already exists: app");
    EXPECT_EQ(errorText<std::runtime_error>([] { unitOf("a: { } b: { !X = 1 }"); }),
              "'!' assignment modifier is not allowed in this context.");
}

TEST(VisitUnits, TargetBlockBecomesItsTemplate) {
    auto unit = unitOf(R"(
        app: {
            if DEBUG { FLAGS += "-g" }
            FLAGS = "-O2"
        }
    )");
    const Rilk::Target& app = unit->targets.at("app");
    ASSERT_EQ(app.assignments.size(), 1u);
    ASSERT_EQ(app.conditions.size(), 1u);
    Rilk::ContextPtr context = app.createContext();
    context->addAssignment(
        Rilk::Assignment("DEBUG", nullptr, Rilk::AssignType::Declare, Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    context->evaluateConditions();
    EXPECT_EQ(context->getString("flags"), "-O2 -g");
}

}  // namespace
