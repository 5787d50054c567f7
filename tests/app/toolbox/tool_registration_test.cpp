#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/registry/registry_reader.h"
#include "app/registry/rilk_registry.h"
#include "app/toolbox/tool_registration.h"
#include "support/run_process.h"
#include "tools/matcher.h"
#include "tools/tool_factory_registry.h"
#include "types/rilk_errors.h"

namespace {

class PlainMatcher : public Rilk::Matcher {
public:
    PlainMatcher(const std::string& name, const Rilk::AssignmentTable& plain,
                 const Rilk::AssignmentTable& must)
        : Matcher(name, {}, {}, plain, must) {}
    std::unique_ptr<Matcher> clone() const override {
        return std::make_unique<PlainMatcher>(*this);
    }
    std::shared_ptr<Rilk::Builder> builderFor(const Rilk::TargetContext&) const override {
        return nullptr;
    }
};

Rilk::Matcher* makePlain(Util::CiString name, Rilk::AssignmentTable plain,
                         Rilk::AssignmentTable must) {
    return new PlainMatcher(name.str(), plain, must);
}

template <typename Error>
Rilk::ToolFactory throwing(const char* text) {
    return [text](Util::CiString, Rilk::AssignmentTable, Rilk::AssignmentTable) -> Rilk::Matcher* {
        throw Error(text);
    };
}

[[maybe_unused]] const bool registered = [] {
    Rilk::registerToolFactory("reg-ok", "", makePlain);
    Rilk::registerToolFactory("reg-null", "", [](auto&&...) -> Rilk::Matcher* { return nullptr; });
    Rilk::registerToolFactory("reg-own-error", "",
                              throwing<Rilk::RilkException>("the factory says no"));
    Rilk::registerToolFactory("reg-std-error", "", throwing<std::runtime_error>("bad tool"));
    return true;
}();

/// The block of the one tool definition in `tools { t { <body> } }`.
std::shared_ptr<Rilk::ContextTemplate> definition(const std::string& body) {
    return Rilk::readRegistryText("tools { t { " + body + " } }", "/r/.rilk_registry.txt")
        .toolDefinitions.at("t");
}

/// What registering `source` prints at the default verbosity.
std::string registrationOutput(const Rilk::ToolSource& source) {
    return RilkTest::runInChild([&] {
               Rilk::ToolMap tools;
               Rilk::registerTool(tools, source);
           })
        .out;
}

/// The warning for a type no factory makes, with every type this process knows.
std::string unknownType(const std::string& type) {
    std::string known;
    for (const std::string& name : Rilk::ToolFactoryRegistry::instance().typeNames()) {
        known += (known.empty() ? "" : ", ") + name;
    }
    return "Unknown tool_type '" + type + "'; the known types are " + known + ".\n";
}

TEST(ToolRegistration, SkipsADefinitionThatMakesNoToolAndSaysWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"x = 1", "Registry tool 'cc' has no 'tool_type'. Skipping.\n"},
        {"tool_type", "Registry tool 'cc' has empty 'tool_type'. Skipping.\n"},
        {"tool_type tool_type = \"reg-ok\"",
         "Registry tool 'cc' has empty 'tool_type'. Skipping.\n"},
        {"tool_type = \"reg-ok\" TOOL_TYPE = \"reg-ok\"",
         "Registry tool 'cc' has multiple 'tool_type' assignments. Skipping.\n"},
        {"tool_type = \"\"", unknownType("") + "Unable to create Registry tool '' for 'cc'.\n"},
        {"tool_type = \"clang\"",
         unknownType("clang") + "Unable to create Registry tool 'clang' for 'cc'.\n"},
        {"tool_type = \"reg-null\"", "Unable to create Registry tool 'reg-null' for 'cc'.\n"},
        {"tool_type = \"reg-own-error\"",
         "the factory says no\nUnable to create Registry tool 'reg-own-error' for 'cc'.\n"},
        {"tool_type = \"reg-std-error\"",
         "Unable to create Registry tool 'reg-std-error' for 'cc': bad tool\n"
         "Unable to create Registry tool 'reg-std-error' for 'cc'.\n"},
        {"Tool_Type = \"REG-OK\"", ""},
    };
    for (const auto& [body, output] : cases) {
        EXPECT_EQ(registrationOutput({"cc", definition(body), "Registry", std::nullopt}), output)
            << body;
    }
    EXPECT_EQ(registrationOutput({"cc", nullptr, "Project demo", "demo"}),
              "Project demo tool 'cc' has null context. Skipping.\n");
}

TEST(ToolRegistration, HandsTheDefinitionToTheFactorySortedByModifier) {
    auto block = definition(
        "tool_type = \"reg-ok\" !must = 1 ^up = 2 Flag = 3 FLAG = 4 if a { b = 1 } if c { }");
    auto tool = Rilk::createTool({"cc", block, "Registry", std::nullopt});
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->name, "cc");
    ASSERT_EQ(tool->required.count("must"), 1U);
    ASSERT_EQ(tool->criteria.size(), 2U);
    EXPECT_EQ(tool->criteria.at("up").modifier, Rilk::AssignModifier::Up);
    EXPECT_EQ(tool->criteria.find("flag")->first.str(), "Flag");
    EXPECT_EQ(tool->criteria.at("flag").value->toString(), "4");
    EXPECT_EQ(tool->conditions.size(), 2U);
    EXPECT_EQ(tool->conditions[0].body, block->conditions[0].body);
}

TEST(ToolRegistration, ALaterToolReplacesOneOfTheSameNameWithAWarning) {
    const auto result = RilkTest::runInChild([] {
        Rilk::ToolMap tools;
        Rilk::createStaticTools(tools);
        for (const char* name : {"Beta", "Default_Basic", "alpha"}) {
            Rilk::registerTool(
                tools, {name, definition("tool_type = \"reg-ok\""), "Registry", std::nullopt});
        }
        for (const auto& [name, tool] : tools) {
            std::string required;
            for (const auto& entry : tool->required) required += " " + entry.first.str();
            fmt::print("{} {}{}\n", name.str(), tool->name, required);
        }
    });
    EXPECT_EQ(result.out,
              "Tool 'Default_Basic' from Registry overrides an earlier tool with the same name.\n"
              "alpha alpha\nBeta Beta\ndefault_basic Default_Basic\n"
              "default_no_tool default_no_tool NO_TOOL\n");
}

TEST(ToolRegistration, RegistersRegistryToolsThenProjectToolsUnderTheProjectName) {
    const auto result = RilkTest::runInChild([] {
        auto project = [](const std::string& name, const std::string& tool,
                          const std::string& body) {
            auto made = std::make_shared<Rilk::Project>("/p/.rilk_project.txt", name);
            made->toolDefinitions.push_back({tool, definition(body)});
            return made;
        };
        Rilk::RilkRegistry registry("/r/.rilk_registry.txt");
        registry.toolDefinitions["zz"] = definition("tool_type = \"reg-ok\"");
        registry.toolDefinitions["cc"] = definition("tool_type = \"reg-ok\"");
        const Rilk::ProjectPtr mainProject = project("demo", "cc", "tool_type = \"reg-null\"");
        mainProject->importedProjects = {project("lib", "x", "tool_type = \"reg-ok\""),
                                         project("", "cc", "tool_type = \"reg-ok\"")};
        Rilk::ToolMap tools;
        Rilk::registerTools(tools, &registry, mainProject);
        for (const auto& [name, tool] : tools) fmt::print("{}\n", name.str());
    });
    EXPECT_EQ(result.out,
              "Unable to create Project demo tool 'reg-null' for 'demo/cc'.\n"
              "Tool 'cc' from Project  overrides an earlier tool with the same name.\n"
              "cc\ndefault_basic\ndefault_no_tool\nlib/x\nzz\n");
}

}  // namespace
