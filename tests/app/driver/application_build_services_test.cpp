#include "app/driver/application_build_services.h"

#include <gtest/gtest.h>

#include "app/driver/rilk_app.h"
#include "parser/parser_test_support.h"
#include "types/rilk_errors.h"
#include "types/types_test_support.h"

namespace {

TEST(ApplicationBuildServices, NamesATargetByItsRegisteredUnitNeverByTheAlias) {
    RilkApplication app;
    const std::shared_ptr<Rilk::Unit> unit = unitOf("unit core build: { }");
    app.unitIndex.addUnit("App", "1", unit);
    app.unitIndex.addUnit("App", "Core", unit);
    app.unitIndex.defaultNamespace = "app";
    app.unitIndex.defaultUnit = "CORE";
    ApplicationBuildServices services(app);
    for (const char* text : {"build", "1::BUILD", "app/core::Build", "APP/1::build"}) {
        Rilk::QualifiedTargetName name = Rilk::QualifiedTargetName::parse(text);
        const FoundTarget found = services.findTarget(name);
        EXPECT_EQ(found.target, &unit->targets.begin()->second) << text;
        EXPECT_EQ(RilkTest::fields(found.canonicalName), "App|Core|build") << text;
    }
}

TEST(ApplicationBuildServices, StartsTargetsFromTheirProjectsRuntimeContext) {
    RilkApplication app;
    app.implicitContext.addAssignment(
        Rilk::Assignment("X", RilkTest::str("implicit"), Rilk::AssignType::Set,
                         Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    ApplicationBuildServices services(app);
    EXPECT_EQ(services.inheritedContext("any").getString("X"), "implicit");

    app.project = std::make_shared<Rilk::Project>("/p/.rilk_project.txt", "app");
    app.runtimeContexts["App"].context.addAssignment(
        Rilk::Assignment("X", RilkTest::str("project"), Rilk::AssignType::Set,
                         Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    EXPECT_EQ(services.inheritedContext("app").getString("X"), "project");
    try {
        services.inheritedContext("ext");
        ADD_FAILURE() << "no error";
    } catch (const Rilk::NotFoundException& error) {
        EXPECT_EQ(error.message(), "project namespace 'ext' not found.");
    }
}

}  // namespace
