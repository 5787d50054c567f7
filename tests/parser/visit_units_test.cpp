#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "parser/file_visit_support.h"
#include "parser/visit_test_support.h"
#include "types/context.h"

namespace {

std::vector<std::string> targetKeys(const Rilk::Unit& unit) {
    std::vector<std::string> keys;
    for (const auto& [key, target] : unit.targets) keys.push_back(key.str());
    return keys;
}

TEST(VisitUnits, TargetsIterateIgnoringCaseAndTheFirstWrittenIsDefault) {
    auto unit = unitOf("unit core\n b: { }\n A: { }\n c: { }\n");
    EXPECT_EQ(unit->name, "core");
    EXPECT_EQ(targetKeys(*unit), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(unit->defaultTarget, "b");
    for (const auto& [key, target] : unit->targets) {
        EXPECT_EQ(target.name.ns, "");
        EXPECT_EQ(target.name.unit, "core");
        EXPECT_EQ(target.name.target, key.str());
    }
}

TEST(VisitUnits, DuplicateTargetIsRefusedWithTheFirstSpelling) {
    std::string error = errorText<std::invalid_argument>([] { unitOf("app: { } App: { }"); });
    EXPECT_EQ(error, "Key already exists: app");
}

TEST(VisitUnits, FileWithoutUnitLineGivesEmptyUnitComponent) {
    VisitFile file("app: { }", RilkVisitorImpl::Unit);
    auto unit = file.unit();
    EXPECT_EQ(unit->name, "");
    EXPECT_EQ(unit->targets.at("app").name.toString(), "/::app");
    EXPECT_EQ(file.visitor.unitName, "");
}

TEST(VisitUnits, UnitDeclarationStaysWithTheVisitor) {
    VisitFile file("unit lib x: { }", RilkVisitorImpl::Unit);
    file.unit();
    EXPECT_EQ(file.visitor.unitName, "lib");
}

TEST(VisitUnits, ParameterNamesInOrderWithEmptyTemplate) {
    auto unit = unitOf("lib(kind, arch): { }");
    const Rilk::Target& lib = unit->targets.at("lib");
    EXPECT_EQ(lib.parameterNames, (std::vector<std::string>{"kind", "arch"}));
    EXPECT_TRUE(lib.dependencies.empty());
    EXPECT_TRUE(lib.assignments.empty());
    EXPECT_TRUE(lib.conditions.empty());
}

TEST(VisitUnits, EmptyFileGivesUnitWithoutTargets) {
    auto unit = unitOf("");
    EXPECT_TRUE(unit->targets.empty());
    EXPECT_EQ(unit->defaultTarget, "");
    EXPECT_EQ(unit->name, "");
}

TEST(VisitUnits, TargetBlockBecomesItsTemplate) {
    auto unit = unitOf(R"(
        unit core
        app: base gen::make {
            if DEBUG { FLAGS += "-g" }
            ^OUT = "app"
            FLAGS = "-O2"
        }
    )");
    const Rilk::Target& app = unit->targets.at("APP");
    ASSERT_EQ(app.assignments.size(), 2u);
    EXPECT_EQ(app.assignments[0].toString(), R"(OUT = "app")");
    EXPECT_EQ(app.assignments[0].modifier, Rilk::AssignModifier::Up);
    ASSERT_EQ(app.conditions.size(), 1u);
    ASSERT_EQ(app.dependencies.size(), 2u);

    // The target makes contexts like any template.
    Rilk::ContextPtr context = app.createContext();
    EXPECT_EQ(context->getString("flags"), "-O2");
    context->addAssignment(
        Rilk::Assignment("DEBUG", nullptr, Rilk::AssignType::Declare, Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    context->evaluateConditions();
    EXPECT_EQ(context->getString("FLAGS"), "-O2 -g");
}

TEST(VisitUnits, ErrorInsideATargetDiscardsTheUnit) {
    std::string error = errorText<std::runtime_error>([] { unitOf("a: { } b: { !X = 1 }"); });
    EXPECT_EQ(error, "'!' assignment modifier is not allowed in this context.");
}

}  // namespace
