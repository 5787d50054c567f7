#include "parser/parser_test_support.h"

static ParsedRegistry registryOf(const std::string& text) {
    return Visit(text, Kind::Registry, "/home/u/.config/rilk").registry();
}

TEST(VisitRegistry, RelativePathsAreTakenAgainstTheRegistryDirectory) {
    ParsedRegistry data = registryOf(
        R"(projects { app "/src/app" lib "lib" up "../x/" abs "/srv/a/../b/" APP "b" })");
    std::vector<std::string> entries;
    for (const auto& p : data.projects) entries.push_back(p.name + " -> " + p.path.string());
    EXPECT_EQ(entries,
              (std::vector<std::string>{"app -> /src/app", "lib -> /home/u/.config/rilk/lib",
                                        "up -> /home/u/.config/rilk/../x/", "abs -> /srv/a/../b/",
                                        "APP -> /home/u/.config/rilk/b"}));
    EXPECT_TRUE(data.tools.empty());
}

TEST(VisitRegistry, EmptyBlocksAndEmptyFileGiveEmptyLists) {
    for (const char* text : {"", "projects { }", "projects { } tools { }"}) {
        ParsedRegistry data = registryOf(text);
        EXPECT_TRUE(data.projects.empty() && data.tools.empty()) << text;
    }
}

TEST(VisitRegistry, ToolsKeepFileOrderRequiredModifierAndConditions) {
    ParsedRegistry data = registryOf(R"(tools {
        gcc { tool_type = "gnu-gcc" !CFLAGS = "x" if ARCH = "arm" { !PREFIX = "arm-" } }
        GCC { tool_type = "command" }
    })");
    ASSERT_EQ(data.tools.size(), 2u);
    EXPECT_EQ(data.tools[1].name, "GCC");
    EXPECT_EQ(shown(data.tools[1].contextTemplate->assignments[0].value), "RilkString:command");
    const Rilk::ContextTemplate& gcc = *data.tools[0].contextTemplate;
    EXPECT_EQ(data.tools[0].name, "gcc");
    ASSERT_EQ(gcc.assignments.size(), 2u);
    EXPECT_EQ(gcc.assignments[1].name, "CFLAGS");
    EXPECT_EQ(gcc.assignments[1].modifier, Rilk::AssignModifier::Must);
    ASSERT_EQ(gcc.conditions.size(), 1u);
    EXPECT_EQ(gcc.conditions[0].type, Rilk::Condition::OperatorType::Equal);
    EXPECT_EQ(gcc.conditions[0].body->assignments[0].modifier, Rilk::AssignModifier::Must);
}
