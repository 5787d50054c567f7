// Profiles: the one named on the command line, and the context of a run without project.
#include <memory>
#include <string>

#include "app/driver/rilk_app.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

bool RilkApplication::useProfileNamed(const std::string& item, bool confirming) {
    if (!project) return false;
    const auto found = project->profiles.find(item);
    if (found == project->profiles.end()) return false;
    Rilk::log(Rilk::LogLevel::Trace, "Using profile '{}'.\n", item);
    if (selectedProfile) {
        if (confirming && Util::CiString::equal(selectedProfile->name, found->second.name))
            return true;
        throw Rilk::RilkException("Profile already set to '" + selectedProfile->name +
                                  "'. It can only be set once.");
    }
    selectedProfile = std::make_shared<Rilk::Profile>(found->second);
    project->activeProfile = found->second.name;
    return true;
}

void RilkApplication::SelectProfiles() {
    if (!project) return;
    for (const std::string& item : positionalItems) {
        if (!unitIndex.hasTarget(item)) useProfileNamed(item, false);
    }
}

void RilkApplication::ApplyDefaultProfile() {
    // Copies, so that nothing done to the context reaches the values kept here.
    implicitContext.addAssignments(Rilk::Context(implicitVariables));
    if (!cmdMode) implicitContext.addAssignments(Rilk::Context(commandLineContext));
}
