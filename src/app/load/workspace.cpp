// Loading the workspace of a run, step by step.
#include "app/load/workspace.h"

#include <memory>
#include <string>

#include <fmt/format.h>

#include "app/load/implicit_variables.h"
#include "app/load/positional_items.h"
#include "app/load/project_file_loader.h"
#include "app/load/project_imports.h"
#include "app/load/project_root.h"
#include "app/load/unit_loader.h"
#include "types/rilk_errors.h"
#include "util/ci_string.h"

namespace Rilk {

void loadWorkspace(Workspace& workspace, const LoadOptions& options, const RilkRegistry* registry,
                   LoadListener& listener) {
    settleProjectRoot(workspace, options);
    listener.rootSettled(workspace);
    loadMainProject(workspace, options, registry);
    if (!listener.projectLoaded(workspace)) return;
    addImplicitVariables(workspace);
    listener.unitsAboutToLoad(workspace);
    loadMainUnits(workspace, options);
    handlePositionalItems(workspace, options);
}

void loadMainProject(Workspace& workspace, const LoadOptions& options,
                     const RilkRegistry* registry) {
    if (workspace.projectFile.empty()) return;
    workspace.project = std::make_shared<Project>(workspace.projectFile, "");
    loadProjectFile(*workspace.project);
    workspace.unitIndex.defaultUnit = workspace.project->firstUnitName();
    workspace.unitIndex.defaultNamespace = workspace.project->name;
    loadProjectUnits(workspace, workspace.project);
    // Once the main project's own targets are known: a positional item that names one is
    // no profile.
    selectProfiles(workspace, options);
    resolveProjectImports(workspace.project, registry);
}

void loadMainUnits(Workspace& workspace, const LoadOptions& options) {
    const ProjectPtr& project = workspace.project;
    UnitIndex& unitIndex = workspace.unitIndex;
    if (project != nullptr) {
        loadProjectTreeUnits(workspace, project);
        std::string ns = project->name;
        std::string unitName = project->firstUnitName();
        const UnitPtr mainUnit = unitIndex.findUnit(ns, unitName);
        workspace.mainTarget =
            QualifiedTargetName(project->name, project->firstUnitName(), mainUnit->defaultTarget);
    } else if (!options.cmdMode) {
        const UnitPtr unit = loadUnitFile(workspace, options.unitFile, "");
        unitIndex.addUnit("", "1", unit);
        workspace.mainTarget = QualifiedTargetName("", unit->name, unit->defaultTarget);
        unitIndex.defaultUnit = unit->name;
    } else {
        auto unit = std::make_shared<Unit>();
        unit->name = "cmdline";
        unitIndex.addUnit("", "", unit);
        workspace.mainTarget = QualifiedTargetName("", "", "cmdline");
    }
}

void requireMainTarget(const Workspace& workspace) {
    const QualifiedTargetName& main = workspace.mainTarget;
    if (!main.target.empty()) return;
    std::string files;
    for (const auto& [file, unit] : workspace.loadedUnitFiles) {
        if (!Util::CiString::equal(unit, main.unit)) continue;
        const std::filesystem::path shown =
            file.has_root_directory() ? file : workspace.projectRoot / file;
        files += fmt::format("{}'{}'", files.empty() ? "" : ", ", shown.string());
    }
    throw RilkException(fmt::format(
        "The main unit '{}' ({}) holds no target, so there is nothing to build: add a target "
        "to its file.",
        main.unit, files.empty() ? "no file" : "file " + files));
}

}  // namespace Rilk
