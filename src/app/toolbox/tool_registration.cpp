// Filling the tool map: the static tools, then the registry's and the projects' tools.
#include "app/toolbox/tool_registration.h"

#include <exception>
#include <memory>
#include <utility>

#include "app/load/project_imports.h"
#include "app/registry/rilk_registry.h"
#include "tools/tool_factory_registry.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace {

/// The matcher of a factory call, owned; errors of the factory pass through.
std::unique_ptr<Rilk::Matcher> makeMatcher(const std::string& type, const std::string& name,
                                           Rilk::AssignmentTable variables,
                                           Rilk::AssignmentTable required) {
    return std::unique_ptr<Rilk::Matcher>(
        Rilk::createToolMatcher(type, name, std::move(variables), std::move(required)));
}

struct StaticTool {
    const char* name;
    const char* type;
    const char* requiredVariable;
};

constexpr StaticTool kStaticTools[] = {
    {"default_basic", "command", "cmdline"},
    {"default_no_tool", "no_tool", "NO_TOOL"},
};

/// Says which types there are when no factory makes tools of `type`; the factory's own
/// failures say why themselves.
void warnUnknownType(const std::string& type) {
    const Rilk::ToolFactoryRegistry& factories = Rilk::ToolFactoryRegistry::instance();
    const Rilk::ToolFactory* factory = factories.find(type);
    if (factory != nullptr && *factory) return;
    std::string known;
    for (const std::string& name : factories.typeNames()) {
        known += (known.empty() ? "" : ", ") + name;
    }
    Rilk::log(Rilk::LogLevel::Warning, "Unknown tool_type '{}'; the known types are {}.\n", type,
              known);
}

}  // namespace

namespace Rilk {

void registerTools(ToolMap& tools, const RilkRegistry* registry, const ProjectPtr& project) {
    tools.clear();
    createStaticTools(tools);
    if (registry) {
        for (const auto& [name, definition] : registry->toolDefinitions) {
            registerTool(tools, {name.str(), definition, "Registry", std::nullopt});
        }
    }
    registerProjectTools(tools, project);
}

void createStaticTools(ToolMap& tools) {
    for (const StaticTool& tool : kStaticTools) {
        Rilk::AssignmentTable required;
        required.emplace(tool.requiredVariable,
                         Rilk::Assignment(tool.requiredVariable, nullptr, Rilk::AssignType::Set,
                                          Rilk::AssignModifier::None));
        std::unique_ptr<Rilk::Matcher> matcher;
        try {
            matcher = makeMatcher(tool.type, tool.name, {}, std::move(required));
        } catch (const Rilk::RilkException& error) {
            Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.message());
        } catch (const std::exception& error) {
            Rilk::log(Rilk::LogLevel::Warning, "Unable to create static tool '{}' ({}): {}\n", tool.name, tool.type,
                      error.what());
        }
        if (!matcher) {
            Rilk::log(Rilk::LogLevel::Warning, "Unable to create static tool '{}' ({}).\n", tool.name, tool.type);
            continue;
        }
        tools[tool.name] = std::move(matcher);
    }
}

bool isStaticTool(const std::string& name) {
    for (const StaticTool& tool : kStaticTools) {
        if (name == tool.name) return true;
    }
    return false;
}

std::shared_ptr<Matcher> createTool(const ToolSource& source) {
    if (!source.context) {
        Rilk::log(Rilk::LogLevel::Warning, "{} tool '{}' has null context. Skipping.\n", source.origin, source.name);
        return nullptr;
    }
    Rilk::AssignmentTable toolVariables;
    Rilk::AssignmentTable requiredVariables;
    const Rilk::Assignment* toolType = nullptr;
    for (const Rilk::Assignment& assignment : source.context->assignments) {
        if (!Util::CiString::equal(assignment.name, "tool_type")) {
            auto& table = assignment.modifier == Rilk::AssignModifier::Must ? requiredVariables
                                                                            : toolVariables;
            table.insert_or_assign(assignment.name, assignment);
            continue;
        }
        if (toolType != nullptr) {
            Rilk::log(Rilk::LogLevel::Warning, "{} tool '{}' has multiple 'tool_type' assignments. Skipping.\n",
                      source.origin, source.name);
            return nullptr;
        }
        if (!assignment.value) {
            Rilk::log(Rilk::LogLevel::Warning, "{} tool '{}' has empty 'tool_type'. Skipping.\n", source.origin,
                      source.name);
            return nullptr;
        }
        toolType = &assignment;
    }
    if (toolType == nullptr) {
        Rilk::log(Rilk::LogLevel::Warning, "{} tool '{}' has no 'tool_type'. Skipping.\n", source.origin, source.name);
        return nullptr;
    }
    const std::string type = toolType->value->toString();
    warnUnknownType(type);

    std::unique_ptr<Rilk::Matcher> matcher;
    try {
        matcher =
            makeMatcher(type, source.name, std::move(toolVariables), std::move(requiredVariables));
    } catch (const Rilk::RilkException& error) {
        Rilk::log(Rilk::LogLevel::Warning, "{}\n", error.message());
    } catch (const std::exception& error) {
        Rilk::log(Rilk::LogLevel::Warning, "Unable to create {} tool '{}' for '{}': {}\n", source.origin, type,
                  source.name, error.what());
    }
    if (!matcher) {
        Rilk::log(Rilk::LogLevel::Warning, "Unable to create {} tool '{}' for '{}'.\n", source.origin, type, source.name);
        return nullptr;
    }
    matcher->conditions = source.context->conditions;
    matcher->project = source.project;
    return std::shared_ptr<Rilk::Matcher>(std::move(matcher));
}

void registerTool(ToolMap& tools, const ToolSource& source) {
    std::shared_ptr<Rilk::Matcher> tool = createTool(source);
    if (!tool) return;
    auto [entry, added] = tools.try_emplace(source.name);
    if (!added) {
        Rilk::log(Rilk::LogLevel::Warning, "Tool '{}' from {} overrides an earlier tool with the same name.\n",
                  source.name, source.origin);
    }
    entry->second = std::move(tool);
}

namespace {

/// Registers the tools of `project` as "<project>/<tool>".
void registerToolsOf(ToolMap& tools, const ProjectPtr& project) {
    const std::string prefix = project->name.empty() ? "" : project->name + "/";
    for (const Rilk::BuildToolDefinition& definition : project->toolDefinitions) {
        registerTool(tools, {prefix + definition.name, definition.contextTemplate,
                             "Project " + project->name, project->name});
    }
}

}  // namespace

void registerProjectTools(ToolMap& tools, const ProjectPtr& project) {
    if (!project) return;
    registerToolsOf(tools, project);
    for (const Rilk::ProjectPtr& imported : importedProjectsOf(*project)) {
        registerToolsOf(tools, imported);
    }
}

}  // namespace Rilk
