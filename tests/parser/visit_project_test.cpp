#include "parser/parser_test_support.h"

using Paths = std::vector<std::filesystem::path>;

TEST(VisitProject, WholeProjectFile) {
    Rilk::ProjectData data = projectOf(R"txt(
        name demo
        import { "../libs" libs (release); }
        tools { cc { tool_type = "gnu-gcc" !toolchain_path = P"(tc)" } }
        units { core { "a/rilk.txt" } empty { } Core { "b/rilk.txt" "c/rilk.txt" } }
        profiles { release { OPT = 2 } }
    )txt");
    EXPECT_EQ(data.name, "demo");
    EXPECT_EQ(data.imports.size(), 1u);
    ASSERT_EQ(data.tools.size(), 1u);
    const auto& tool = data.tools[0].contextTemplate->assignments;
    ASSERT_EQ(tool.size(), 2u);
    EXPECT_EQ(tool[1].modifier, Rilk::AssignModifier::Must);
    // A path literal of a project file is fixed to the project's directory.
    EXPECT_EQ(shown(tool[1].value), "RilkString:/base/tc");
    // Unit entries merge ignoring case; unit files stay as written for the application.
    ASSERT_EQ(data.units.size(), 2u);
    EXPECT_EQ(data.units[0].first, "core");
    EXPECT_EQ(data.units[0].second, (Paths{"a/rilk.txt", "b/rilk.txt", "c/rilk.txt"}));
    EXPECT_EQ(data.units[1].first, "empty");
    EXPECT_TRUE(data.units[1].second.empty());
    ASSERT_EQ(data.profiles.size(), 1u);
    EXPECT_EQ(data.profiles[0].name, "release");
}

TEST(VisitProject, ImportsFillExactlyTheWrittenFields) {
    // kind|path|name|alias|source profile|import profile
    const std::pair<const char*, const char*> cases[] = {
        {R"("../lib";)", "path|../lib||||"},
        {R"("../lib" lib (debug);)", "path|../lib||lib||debug"},
        {R"(release: "../lib";)", "path|../lib|||release|"},
        {"core;", "registry||core|||"},
        {"release: core (debug);", "registry||core||release|debug"}};
    for (const auto& [text, expected] : cases) {
        Rilk::ProjectData data = projectOf(std::string("import { ") + text + " }");
        ASSERT_EQ(data.imports.size(), 1u) << text;
        const Rilk::ProjectImport& i = data.imports[0];
        std::string kind = i.kind == Rilk::ProjectImport::Kind::Path ? "path" : "registry";
        EXPECT_EQ(kind + "|" + i.path.string() + "|" + i.name + "|" + i.alias + "|" +
                      i.sourceProfile + "|" + i.importProfile,
                  expected)
            << text;
    }
}

TEST(VisitProject, OnlyProfilesGivesEmptyEverythingElseAndKeepsEachProfile) {
    auto data = projectOf("profiles { debug { OPT = 0 } debug { OPT = 1 } }");
    EXPECT_TRUE(data.name.empty() && data.imports.empty() && data.tools.empty() &&
                data.units.empty());
    ASSERT_EQ(data.profiles.size(), 2u);
    EXPECT_EQ(data.profiles[1].name, "debug");
    EXPECT_EQ(shown(data.profiles[1].contextTemplate->assignments[0].value), "RilkInt:1");
}

TEST(VisitProject, RequiredModifierOnlyInsideToolBlocks) {
    EXPECT_EQ(errorText<std::runtime_error>([] { projectOf("profiles { p { !X = 1 } }"); }),
              kMustRefused);
    // After a tool's block, also one that failed, the profile's "!" is refused again.
    Visit file("tools { t { !X = 1 } } profiles { p { !X = 1 } }", Kind::Project);
    EXPECT_EQ(errorText<std::runtime_error>([&] { file.project(); }), kMustRefused);
    EXPECT_FALSE(file.visitor.allowMustModifier);
    Visit failed("tools { t { X = 3000000000 } }", Kind::Project);
    EXPECT_THROW(failed.project(), std::out_of_range);
    EXPECT_FALSE(failed.visitor.allowMustModifier);
    EXPECT_NO_THROW(projectOf("tools { t { !X = 1 } } profiles { p { X = 1 } }"));
}
