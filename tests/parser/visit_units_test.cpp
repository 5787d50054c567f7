#include "parser/parser_test_support.h"

using Strings = std::vector<std::string>;

static Strings qualifiedNames(const Rilk::Unit& unit) {
    Strings names;
    for (const auto& [key, target] : unit.targets) names.push_back(target.name.toString());
    return names;
}

TEST(VisitUnits, TargetsIterateIgnoringCaseAndTheFirstWrittenIsDefault) {
    auto unit = unitOf("unit core\n b: { }\n A: { }\n c: { }\n");
    EXPECT_EQ(unit->name, "core");
    EXPECT_EQ(qualifiedNames(*unit), (Strings{"/core::A", "/core::b", "/core::c"}));
    EXPECT_EQ(unit->defaultTarget, "b");
    EXPECT_EQ(unitOf("")->defaultTarget, "");
}

TEST(VisitUnits, WithoutUnitLineTheUnitComponentIsEmpty) {
    auto unit = unitOf("lib(kind, arch): { }");
    EXPECT_EQ(unit->name, "");
    EXPECT_EQ(qualifiedNames(*unit), Strings{"/::lib"});
    const Rilk::Target& lib = unit->targets.at("LIB");
    EXPECT_EQ(lib.parameterNames, (Strings{"kind", "arch"}));
    EXPECT_TRUE(lib.dependencies.empty() && lib.assignments.empty());
}

TEST(VisitUnits, FailuresDiscardTheUnit) {
    EXPECT_EQ(errorText<std::invalid_argument>([] { unitOf("app: { } App: { }"); }),
              "Key already exists: app");
    EXPECT_EQ(errorText<std::runtime_error>([] { unitOf("a: { } b: { if c { !X = 1 } }"); }),
              kMustRefused);
}

TEST(VisitUnits, TargetBlockBecomesItsTemplate) {
    auto unit = unitOf(R"(app: { if DEBUG { FLAGS += "-g" } FLAGS = "-O2" })");
    const Rilk::Target& app = unit->targets.at("app");
    ASSERT_EQ(app.assignments.size(), 1u);
    EXPECT_EQ(shown(app.assignments[0].value), "RilkString:-O2");
    ASSERT_EQ(app.conditions.size(), 1u);
    EXPECT_EQ(shown(app.conditions[0].body->assignments[0].value), "RilkString:-g");
}
