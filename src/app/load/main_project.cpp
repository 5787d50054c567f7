// Loading the main project as soon as its file has been found.
#include <memory>

#include "app/load/project_file_loader.h"
#include "app/driver/rilk_app.h"

void RilkApplication::loadMainProject() {
    if (projectFile.empty()) return;
    project = std::make_shared<Rilk::Project>(projectFile, "");
    Rilk::loadProjectFile(*project);
    unitIndex.defaultUnit = project->firstUnitName();
    unitIndex.defaultNamespace = project->name;
    LoadUnit(project);
    // Once the main project's own targets are known: a positional item that names one is
    // no profile.
    SelectProfiles();
    ResolveProjectImports(project);
}
