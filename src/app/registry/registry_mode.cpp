// The registry steps of a run: loading it, and registering the project (-r).
#include <filesystem>

#include <fmt/format.h>

#include "app/driver/rilk_app.h"
#include "app/registry/rilk_registry.h"
#include "types/rilk_errors.h"

void RilkApplication::loadRegistry() { registry = RilkRegistry::load(registryFailure); }

void RilkApplication::registerMainProject() {
    if (!project && unitFileMode != 0) {
        throw Rilk::RilkException(
            "project '' not found: with -f or -c no project file is read, so there is nothing "
            "to register.");
    }
    if (!project) {
        throw Rilk::RilkException(fmt::format(
            "project '' not found: no project file (.rilk_project.txt) was found in '{}' or any "
            "directory above it, so there is nothing to register.",
            std::filesystem::current_path().string()));
    }
    if (!registry) {
        throw Rilk::RilkException(fmt::format(
            "The project cannot be registered: there is no user registry ({}).", registryFailure));
    }
    registry->addProject(project->name, project->projectFile);
}
