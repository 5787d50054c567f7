#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "parser/file_visit_support.h"
#include "parser/visit_test_support.h"
#include "types/context.h"

namespace {

const std::filesystem::path kRegistryDir = "/home/u/.config/rilk";

std::vector<std::string> projectsOf(const RilkRegData& data) {
    std::vector<std::string> entries;
    for (const auto& p : data.projects) entries.push_back(p.name + " -> " + p.path.string());
    return entries;
}

TEST(VisitRegistry, RelativePathsAreTakenAgainstTheRegistryDirectory) {
    RilkRegData data = registryOf(
        R"(projects { app "/src/app" lib "lib" up "../x/" abs "/srv/a/../b/" })", kRegistryDir);
    EXPECT_EQ(projectsOf(data), (std::vector<std::string>{
                                    "app -> /src/app", "lib -> /home/u/.config/rilk/lib",
                                    "up -> /home/u/.config/rilk/../x/", "abs -> /srv/a/../b/"}));
    EXPECT_TRUE(data.tools.empty());
}

TEST(VisitRegistry, EmptyBlocksAndEmptyFileGiveEmptyLists) {
    for (const char* text : {"", "projects { }", "projects { } tools { }"}) {
        RilkRegData data = registryOf(text, kRegistryDir);
        EXPECT_TRUE(data.projects.empty()) << text;
        EXPECT_TRUE(data.tools.empty()) << text;
    }
}

TEST(VisitRegistry, DuplicateNamesAreAllKeptInFileOrder) {
    RilkRegData data = registryOf(R"(
        projects { app "a" APP "b" }
        tools { gcc { tool_type = "gnu-gcc" } GCC { tool_type = "command" } }
    )",
                                  kRegistryDir);
    EXPECT_EQ(projectsOf(data).size(), 2u);
    ASSERT_EQ(data.tools.size(), 2u);
    EXPECT_EQ(data.tools[0].name, "gcc");
    EXPECT_EQ(data.tools[1].name, "GCC");
    EXPECT_EQ(data.tools[1].contextTemplate->createContext()->getString("tool_type"), "command");
}

TEST(VisitRegistry, ToolBlockKeepsRequiredModifierAndConditions) {
    RilkRegData data = registryOf(R"(
        tools { gcc {
            tool_type = "gnu-gcc"
            !CFLAGS = "x"
            if ARCH = "arm" { PREFIX = "arm-" }
        } }
    )",
                                  kRegistryDir);
    ASSERT_EQ(data.tools.size(), 1u);
    const Rilk::ContextTemplate& tool = *data.tools[0].contextTemplate;
    ASSERT_EQ(tool.assignments.size(), 2u);
    EXPECT_EQ(tool.assignments[1].name, "CFLAGS");
    EXPECT_EQ(tool.assignments[1].modifier, Rilk::AssignModifier::Must);
    ASSERT_EQ(tool.conditions.size(), 1u);
    EXPECT_EQ(tool.conditions[0].type, Rilk::Condition::OperatorType::Equal);
}

TEST(VisitRegistry, FlagIsRestoredWhenAToolBlockFails) {
    VisitFile file("tools { t { X = 3000000000 } }", RilkVisitorImpl::Project);
    EXPECT_THROW(file.project(), std::out_of_range);
    EXPECT_FALSE(file.visitor.allowMustModifier);
}

}  // namespace
