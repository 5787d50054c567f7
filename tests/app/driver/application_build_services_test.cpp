#include "app/driver/application_build_services.h"

#include <gtest/gtest.h>

#include "parser/parser_test_support.h"
#include "types/rilk_errors.h"
#include "types/types_test_support.h"

namespace {

using Rilk::ApplicationBuildServices;

/// Services over `workspace` without tools, with records only in memory.
struct Services {
    explicit Services(const Rilk::Workspace& workspace)
        : services(workspace, tools, {}, place, 1) {}
    Rilk::ToolMap tools;
    Rilk::CacheRecords records;
    Rilk::OneRecordPlace place{records};
    ApplicationBuildServices services;
};

TEST(ApplicationBuildServices, NamesATargetByItsRegisteredUnitNeverByTheAlias) {
    Rilk::Workspace app;
    const std::shared_ptr<Rilk::Unit> unit = unitOf("unit core build: { }");
    app.unitIndex.addUnit("App", "1", unit);
    app.unitIndex.addUnit("App", "Core", unit);
    app.unitIndex.defaultNamespace = "app";
    app.unitIndex.defaultUnit = "CORE";
    Services holder(app);
    ApplicationBuildServices& services = holder.services;
    for (const char* text : {"build", "1::BUILD", "app/core::Build", "APP/1::build"}) {
        Rilk::QualifiedTargetName name = Rilk::QualifiedTargetName::parse(text);
        const Rilk::FoundTarget found = services.findTarget(name);
        EXPECT_EQ(found.target, &unit->targets.begin()->second) << text;
        EXPECT_EQ(RilkTest::fields(found.canonicalName), "App|Core|build") << text;
    }
}

TEST(ApplicationBuildServices, StartsTargetsFromTheirProjectsRuntimeContext) {
    Rilk::Workspace app;
    app.implicitContext.addAssignment(
        Rilk::Assignment("X", RilkTest::str("implicit"), Rilk::AssignType::Set,
                         Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
    Services holder(app);
    ApplicationBuildServices& services = holder.services;
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
