// Loading unit files into the unit index: the single file of a run without project, and
// the units of a project, each merged from its files.
#include "app/load/unit_loader.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/load/project_imports.h"
#include "app/load/unit_file_parser.h"
#include "types/rilk_errors.h"
#include "util/ci_string.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace {

/// The files of one project unit, relative ones taken against the project file's
/// directory; all resolved before the first is parsed.
std::vector<fs::path> resolveUnitFiles(const Rilk::Project& project,
                                       const Rilk::Project::UnitEntry& entry) {
    if (entry.second.empty()) {
        throw Rilk::RilkException("Project unit '" + entry.first +
                                  "' does not list any rilk files.");
    }
    std::vector<fs::path> files = entry.second;
    for (fs::path& file : files) {
        if (!file.has_root_directory()) file = project.projectFile.parent_path() / file;
    }
    return files;
}

/// Moves every target of `part`, in name order, into `merged`.
void mergeTargets(Rilk::Unit& merged, Rilk::Unit& part, const std::string& unitName,
                  const fs::path& file) {
    for (auto& [name, target] : part.targets) {
        try {
            merged.addTarget(std::move(target));
        } catch (const std::invalid_argument& e) {
            throw Rilk::RilkException("Unable to merge unit '" + unitName + "' from file '" +
                                      file.string() + "': " + e.what());
        }
    }
}

}  // namespace

namespace Rilk {

UnitPtr loadUnitFile(Workspace& workspace, const fs::path& path, const std::string& ns) {
    auto& loadedUnitFiles = workspace.loadedUnitFiles;
    UnitIndex& unitIndex = workspace.unitIndex;
    if (auto loaded = loadedUnitFiles.find(path); loaded != loadedUnitFiles.end()) {
        Rilk::log(Rilk::LogLevel::Warning, "UnitFile '{}' already loaded.\n", path.string());
        std::string space = ns;
        std::string unitName = loaded->second;
        return unitIndex.findUnit(space, unitName);
    }
    Rilk::UnitPtr unit = Rilk::parseUnitFile(workspace.projectRoot, path);
    if (unit->name.empty()) {
        unit->name = std::to_string(workspace.unnamedUnitCounter.fetch_add(1));
    }
    unitIndex.addUnit(ns, unit->name, unit);
    loadedUnitFiles[path] = unit->name;
    Rilk::log(Rilk::LogLevel::Verbose, "Loaded unit '{}'\n", unit->name);
    return unit;
}

void loadProjectUnits(Workspace& workspace, const ProjectPtr& loading) {
    UnitIndex& unitIndex = workspace.unitIndex;
    const bool isMain = loading == workspace.project;
    if (isMain && workspace.mainUnitsLoaded) return;
    if (loading->firstUnitName().empty()) {
        throw Rilk::RilkException("Project '" + loading->name + "' does not list any units.");
    }
    for (const auto& entry : loading->units) {
        const std::string& unitName = entry.first;
        Rilk::UnitPtr merged;
        for (const fs::path& file : resolveUnitFiles(*loading, entry)) {
            Rilk::UnitPtr unit = Rilk::parseUnitFile(workspace.projectRoot, file);
            if (!Util::CiString::equal(unit->name, unitName)) {
                throw Rilk::RilkException("Unit file '" + file.string() + "' declares unit '" +
                                          unit->name + "', but project entry expects unit '" +
                                          unitName + "'.");
            }
            if (merged == nullptr) {
                merged = std::move(unit);
            } else {
                mergeTargets(*merged, *unit, unitName, file);
            }
            workspace.loadedUnitFiles[file] = unitName;
        }
        unitIndex.addUnit(loading->name, unitName, merged);
        Rilk::log(Rilk::LogLevel::Verbose, "Loaded unit '{}' from {} file(s)\n", unitName, entry.second.size());
    }
    if (isMain) {
        std::string ns = loading->name;
        std::string mainUnit = loading->firstUnitName();
        unitIndex.addUnit(loading->name, "1", unitIndex.findUnit(ns, mainUnit));
        workspace.mainUnitsLoaded = true;
    }
}

void loadProjectTreeUnits(Workspace& workspace, const ProjectPtr& loading) {
    loadProjectUnits(workspace, loading);
    for (const ProjectPtr& imported : importedProjectsOf(*loading)) {
        loadProjectUnits(workspace, imported);
    }
}

}  // namespace Rilk
