#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/load/project_file_loader.h"
#include "app/load/implicit_variables.h"
#include "app/load/project_imports.h"
#include "app/load/runtime_contexts.h"
#include "parser/parse_assignment.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"

namespace {

class RuntimeContextsTest : public testing::Test {
protected:
    void SetUp() override {
        dir.write("main/.rilk_project.txt",
                  "name app\nimport { \"../lib/.rilk_project.txt\"; }\n"
                  "profiles {\n"
                  "  default { FLAGS = \"-d\" LIST += \"a\" cwd = \"x\" year ?= \"1\" }\n"
                  "  release { FLAGS += \"-r\" if FLAGS { SEEN = \"yes\" } }\n"
                  "}\n");
        dir.write("lib/.rilk_project.txt", "name lib\n");
        app.project = std::make_shared<Rilk::Project>(dir.path() / "main/.rilk_project.txt", "");
        Rilk::loadProjectFile(*app.project);
        Rilk::resolveProjectImports(app.project, nullptr);
        app.projectRoot = "/root-of-run";
        Rilk::addImplicitVariables(app);
    }

    void commandLine(const std::string& item) {
        app.commandLineContext.addAssignment(Rilk::parseAssignment(item, "."), 0);
    }

    std::string text(const Rilk::Context& context, const std::string& name) const {
        if (!context.hasVariable(name)) return "<absent>";
        return context.getString(name, "<null>");
    }

    RilkTest::TempDir dir;
    Rilk::Workspace app;
    Rilk::LoadOptions options;
};

TEST_F(RuntimeContextsTest, LayersProfilesAndTheCommandLineOverTheImplicitVariables) {
    struct Case {
        std::string active;
        bool cmdMode;
        std::string flags, list, profile;
    };
    const Case cases[] = {
        {"", false, "-d -c", "a", "<absent>"},
        {"release", false, "-d -r -c", "a", "release"},
        {"Default", false, "-d -c", "a", "Default"},  // the default profile applies once
        {"release", true, "-d -r", "a", "release"},
    };
    commandLine("FLAGS += \"-c\"");
    for (const Case& c : cases) {
        app.project->activeProfile = c.active;
        options.cmdMode = c.cmdMode;
        Rilk::Context context = Rilk::createImplicitContextForProject(app, options, app.project);
        EXPECT_EQ(text(context, "FLAGS"), c.flags) << c.active;
        EXPECT_EQ(text(context, "LIST"), c.list) << c.active;
        EXPECT_EQ(text(context, "PROFILE"), c.profile) << c.active;
        EXPECT_EQ(text(context, "cwd"), "x");
        EXPECT_EQ(text(context, "year"), app.implicitVariables.getString("year"));
        EXPECT_EQ(text(context, "project_root"), (dir.path() / "main").string());
        EXPECT_EQ(text(context, "output_def_dir"), "out");
        EXPECT_EQ(context.conditions.size(), c.active == "release" ? 1U : 0U);
    }
    // Each context holds its own values.
    EXPECT_EQ(app.commandLineContext.getString("FLAGS"), "-c");
}

TEST_F(RuntimeContextsTest, ACommandLineEqualsReplacesTheEntryOfEveryContextWhole) {
    commandLine("YEAR = \"c\"");  // "?=" in the default profile and as implicit variable
    commandLine("FLAGS ?= \"c\"");
    Rilk::createProjectRuntimeContexts(app, options);
    Rilk::applyDefaultProfile(app, options);
    const Rilk::Context* contexts[] = {&app.runtimeContexts.at("app").context,
                                       &app.runtimeContexts.at("lib").context,
                                       &app.implicitContext};
    for (const Rilk::Context* context : contexts) {
        const Rilk::Assignment& year = context->assignments.at("YEAR");
        EXPECT_EQ(year.type, Rilk::AssignType::Set);
        EXPECT_EQ(year.value->toString(), "c");
        EXPECT_EQ(year.name, "year");  // the first spelling stays
    }
    EXPECT_EQ(text(*contexts[0], "FLAGS"), "-d");
    EXPECT_EQ(text(*contexts[1], "FLAGS"), "c");
}

TEST_F(RuntimeContextsTest, OneContextPerProjectUnderItsNamespace) {
    app.project->activeProfile = "release";
    commandLine("EXTRA = \"e\"");
    Rilk::createProjectRuntimeContexts(app, options);
    ASSERT_EQ(app.runtimeContexts.size(), 2U);
    const Rilk::Context& lib = app.runtimeContexts.at("LIB").context;
    EXPECT_EQ(app.runtimeContexts.at("app").project, app.project);
    EXPECT_EQ(std::filesystem::path(text(lib, "project_root")).lexically_normal(),
              dir.path() / "lib");
    EXPECT_EQ(text(lib, "PROFILE"), "<absent>");
    EXPECT_EQ(text(lib, "EXTRA"), "e");
    app.runtimeContexts.at("app").context.getVariable("EXTRA")->append(*lib.getVariable("EXTRA"));
    EXPECT_EQ(text(lib, "EXTRA"), "e");

    // Two projects under one namespace (which loading the imports refuses first).
    dir.write("main/.rilk_project.txt",
              "name app\nimport { \"../lib/.rilk_project.txt\"; }\n");
    Rilk::loadProjectFile(*app.project);
    app.project->activeProfile.clear();
    Rilk::resolveProjectImports(app.project, nullptr);
    app.project->importedProjects.push_back(
        std::make_shared<Rilk::Project>(*app.project->importedProjects.front()));
    app.runtimeContexts.clear();
    try {
        Rilk::createProjectRuntimeContexts(app, options);
        ADD_FAILURE() << "a namespace used twice was accepted";
    } catch (const Rilk::RilkException& error) {
        EXPECT_EQ(error.message(), "Project namespace 'lib' is used more than once.");
    }
}

}  // namespace
