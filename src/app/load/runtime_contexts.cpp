// The context each project's targets start from: implicit variables, the project's root,
// its profiles and the command-line assignments.
#include "app/load/runtime_contexts.h"

#include <string>

#include <fmt/format.h>

#include "app/load/command_line_assignment.h"
#include "app/load/project_imports.h"
#include "types/rilk_errors.h"
#include "types/rilk_string.h"

namespace {

/// Applies a profile's assignments in name order, then its conditional blocks.
void applyProfile(Rilk::Context& context, const Rilk::Profile& profile) {
    if (!profile.contextTemplate) return;
    const Rilk::ContextPtr values = profile.contextTemplate->createContext();
    context.addAssignments(*values);
    context.addConditions(*values);
}

void setValue(Rilk::Context& context, const char* name, Rilk::RilkValuePtr value) {
    context.addAssignment(
        Rilk::Assignment(name, std::move(value), Rilk::AssignType::Set, Rilk::AssignModifier::None),
        Rilk::kKeepModifier);
}

void setString(Rilk::Context& context, const char* name, const std::string& text) {
    setValue(context, name, Rilk::makeString(text));
}

/// Notes the variables the command line sets in the runtime contexts.
void noteCommandLineNames(Rilk::Workspace& workspace, const Rilk::LoadOptions& options) {
    workspace.commandLineNames.clear();
    if (options.cmdMode) return;
    for (const auto& [name, assignment] : workspace.commandLineContext.assignments) {
        workspace.commandLineNames.insert(name);
    }
}

/// Stores the runtime context of `project`.
void addRuntimeContext(Rilk::Workspace& workspace, const Rilk::LoadOptions& options,
                       const Rilk::ProjectPtr& project) {
    if (!project) throw Rilk::InternalError();
    if (workspace.runtimeContexts.contains(project->name)) {
        throw Rilk::RilkException(
            fmt::format("Project namespace '{}' is used more than once.", project->name));
    }
    workspace.runtimeContexts.emplace(
        project->name,
        Rilk::ProjectRuntimeContext{
            project, Rilk::createImplicitContextForProject(workspace, options, project)});
}

/// Stores the runtime context of `project` and, depth first, of the projects it imports
/// (once each).
void addRuntimeContexts(Rilk::Workspace& workspace, const Rilk::LoadOptions& options,
                        const Rilk::ProjectPtr& project) {
    addRuntimeContext(workspace, options, project);
    for (const Rilk::ProjectPtr& imported : Rilk::importedProjectsOf(*project)) {
        addRuntimeContext(workspace, options, imported);
    }
}

}  // namespace

namespace Rilk {

void applyDefaultProfile(Workspace& workspace, const LoadOptions& options) {
    // Copies, so that nothing done to the context reaches the values kept here.
    workspace.implicitContext.addAssignments(Rilk::Context(workspace.implicitVariables));
    noteCommandLineNames(workspace, options);
    if (!options.cmdMode) {
        Rilk::applyCommandLineAssignments(workspace.implicitContext,
                                          Rilk::Context(workspace.commandLineContext));
    }
}

Context createImplicitContextForProject(const Workspace& workspace, const LoadOptions& options,
                                        const ProjectPtr& project) {
    if (!project) throw Rilk::InternalError();
    // Copies throughout: an append in one project's context must not reach the values
    // that every project's context starts from.
    Rilk::Context context;
    context.addAssignments(Rilk::Context(workspace.implicitVariables));
    // The project's directory is a name found on the system, never text to expand.
    setValue(context, "project_root",
             Rilk::makeLiteralString(project->projectFile.parent_path().string()));

    const auto defaultProfile = project->profiles.find("default");
    if (defaultProfile != project->profiles.end()) applyProfile(context, defaultProfile->second);
    if (!project->activeProfile.empty()) {
        const auto active = project->profiles.find(project->activeProfile);
        if (active == project->profiles.end()) {
            throw Rilk::NotFoundException("profile", project->activeProfile);
        }
        // The default profile, chosen by name, is already in: applying it twice would
        // append its "+=" values twice.
        if (active != defaultProfile) applyProfile(context, active->second);
        setString(context, "PROFILE", project->activeProfile);
    }
    if (!options.cmdMode) {
        Rilk::applyCommandLineAssignments(context, Rilk::Context(workspace.commandLineContext));
    }
    return context;
}

void createProjectRuntimeContexts(Workspace& workspace, const LoadOptions& options) {
    workspace.runtimeContexts.clear();
    noteCommandLineNames(workspace, options);
    addRuntimeContexts(workspace, options, workspace.project);
}

}  // namespace Rilk
