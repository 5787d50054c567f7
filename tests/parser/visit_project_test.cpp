#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "parser/file_visit_support.h"
#include "parser/visit_test_support.h"
#include "types/context.h"

namespace {

using Paths = std::vector<std::filesystem::path>;
using Kind = Rilk::ProjectImport::Kind;

TEST(VisitProject, NameIsTheIdentifierAfterName) {
    EXPECT_EQ(projectOf("name app").name, "app");
    EXPECT_EQ(projectOf("units { }").name, "");
}

TEST(VisitProject, UnitEntriesMergeIgnoringCase) {
    Rilk::ProjectData data = projectOf(R"(
        units { core { "a/rilk.txt" } app { } Core { "b/rilk.txt" "c/rilk.txt" } }
    )");
    ASSERT_EQ(data.units.size(), 2u);
    EXPECT_EQ(data.units[0].first, "core");
    EXPECT_EQ(data.units[0].second, (Paths{"a/rilk.txt", "b/rilk.txt", "c/rilk.txt"}));
    EXPECT_EQ(data.units[1].first, "app");
    EXPECT_TRUE(data.units[1].second.empty());
}

struct ImportCase {
    const char* text;
    Kind kind;
    const char* path;
    const char* name;
    const char* alias;
    const char* sourceProfile;
    const char* importProfile;
};

void PrintTo(const ImportCase& c, std::ostream* os) { *os << c.text; }

class ProjectImports : public testing::TestWithParam<ImportCase> {};

TEST_P(ProjectImports, FillExactlyTheWrittenFields) {
    const ImportCase& c = GetParam();
    Rilk::ProjectData data = projectOf(std::string("import { ") + c.text + " }");
    ASSERT_EQ(data.imports.size(), 1u);
    const Rilk::ProjectImport& entry = data.imports[0];
    EXPECT_EQ(entry.kind, c.kind);
    EXPECT_EQ(entry.path, std::filesystem::path(c.path));
    EXPECT_EQ(entry.name, c.name);
    EXPECT_EQ(entry.alias, c.alias);
    EXPECT_EQ(entry.sourceProfile, c.sourceProfile);
    EXPECT_EQ(entry.importProfile, c.importProfile);
}

INSTANTIATE_TEST_SUITE_P(
    VisitProject, ProjectImports,
    testing::Values(
        ImportCase{R"("../lib";)", Kind::Path, "../lib", "", "", "", ""},
        ImportCase{R"("../lib" lib (debug);)", Kind::Path, "../lib", "", "lib", "", "debug"},
        ImportCase{R"(release: "../lib";)", Kind::Path, "../lib", "", "", "release", ""},
        ImportCase{"core;", Kind::Registry, "", "core", "", "", ""},
        ImportCase{"release: core (debug);", Kind::Registry, "", "core", "", "release", "debug"}));

TEST(VisitProject, WholeProjectFile) {
    Rilk::ProjectData data = projectOf(R"txt(
        name demo
        import { "../libs" libs (release); dbg: shared; }
        tools { cc { tool_type = "gnu-gcc" !toolchain_path = P"(tc)" } }
        units { core { "core/units.txt" } }
        profiles { release { OPT = 2 } }
    )txt");
    EXPECT_EQ(data.name, "demo");
    ASSERT_EQ(data.imports.size(), 2u);
    EXPECT_EQ(data.imports[0].kind, Kind::Path);
    EXPECT_EQ(data.imports[1].kind, Kind::Registry);
    EXPECT_EQ(data.imports[1].sourceProfile, "dbg");
    ASSERT_EQ(data.tools.size(), 1u);
    const auto& tool = data.tools[0].contextTemplate->assignments;
    ASSERT_EQ(tool.size(), 2u);
    EXPECT_EQ(tool[1].modifier, Rilk::AssignModifier::Must);
    // A path literal of a project file is fixed to the project's directory.
    EXPECT_EQ(tool[1].value->toString(), "/base/tc");
    ASSERT_EQ(data.units.size(), 1u);
    // Unit files and import paths stay as written; the application resolves them.
    EXPECT_EQ(data.units[0].second, Paths{"core/units.txt"});
    EXPECT_EQ(data.imports[0].path, "../libs");
    ASSERT_EQ(data.profiles.size(), 1u);
    EXPECT_EQ(data.profiles[0].name, "release");
    EXPECT_EQ(data.profiles[0].contextTemplate->createContext()->getString("OPT"), "2");
}

TEST(VisitProject, OnlyProfilesGivesEmptyEverythingElse) {
    Rilk::ProjectData data = projectOf("profiles { debug { OPT = 0 } debug { OPT = 1 } }");
    EXPECT_EQ(data.name, "");
    EXPECT_TRUE(data.imports.empty());
    EXPECT_TRUE(data.tools.empty());
    EXPECT_TRUE(data.units.empty());
    ASSERT_EQ(data.profiles.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(data.profiles[i].name, "debug");
        EXPECT_EQ(data.profiles[i].contextTemplate->createContext()->getString("OPT"),
                  std::to_string(i));
    }
}

TEST(VisitProject, RequiredModifierOnlyInsideToolBlocks) {
    const std::string refused = "'!' assignment modifier is not allowed in this context.";
    EXPECT_EQ(errorText<std::runtime_error>([] { projectOf("profiles { p { !X = 1 } }"); }),
              refused);
    // After a tool's block the profile's "!" is refused again.
    VisitFile file("tools { t { !X = 1 } } profiles { p { !X = 1 } }", RilkVisitorImpl::Project);
    EXPECT_EQ(errorText<std::runtime_error>([&] { file.project(); }), refused);
    EXPECT_FALSE(file.visitor.allowMustModifier);
    EXPECT_NO_THROW(projectOf("tools { t { !X = 1 } } profiles { p { X = 1 } }"));
}

}  // namespace
