// The registry steps of a run: loading it, and registering the project (-r).
#include <fmt/format.h>

#include "app/driver/rilk_app.h"
#include "app/registry/rilk_registry.h"
#include "types/rilk_errors.h"

void RilkApplication::loadRegistry() { registry = RilkRegistry::load(registryFailure); }

void RilkApplication::registerMainProject() {
    if (!project) throw Rilk::NotFoundException("project", "");
    if (!registry) {
        throw Rilk::RilkException(fmt::format(
            "The project cannot be registered: there is no user registry ({}).", registryFailure));
    }
    registry->addProject(project->name, project->projectFile);
}
