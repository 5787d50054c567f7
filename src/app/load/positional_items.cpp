// The command-line items that are no switches: the target, profiles and assignments.
#include "app/load/positional_items.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "app/load/command_line_assignment.h"
#include "parser/parse_assignment.h"
#include "types/qualified_target_name.h"
#include "types/rilk_errors.h"
#include "util/logger.h"
#include "util/shown_text.h"

namespace Rilk {
namespace {

/// The assignment a command-line item holds; a failure names the item, which is neither a
/// target nor a profile either.
Assignment parseItemAssignment(const std::string& item) {
    try {
        return parseAssignment(item, ".");
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(fmt::format(
            "Command-line item '{}' is not a target, a profile or a valid assignment: {}",
            Util::quotedStart(item), error.what()));
    }
}

}  // namespace

bool useProfileNamed(Workspace& workspace, const std::string& item, bool confirming) {
    const ProjectPtr& project = workspace.project;
    std::shared_ptr<Profile>& selectedProfile = workspace.selectedProfile;
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

void selectProfiles(Workspace& workspace, const LoadOptions& options) {
    if (!workspace.project) return;
    for (const std::string& item : options.positionalItems) {
        if (!workspace.unitIndex.hasTarget(item)) useProfileNamed(workspace, item, false);
    }
}

void handlePositionalItems(Workspace& workspace, const LoadOptions& options) {
    QualifiedTargetName& mainTarget = workspace.mainTarget;
    bool targetGiven = false;
    for (const std::string& item : options.positionalItems) {
        if (workspace.unitIndex.hasTarget(item)) {
            if (targetGiven) {
                Rilk::log(Rilk::LogLevel::Error, "Only one target name can be specified\n");
                continue;
            }
            targetGiven = true;
            Rilk::log(Rilk::LogLevel::Trace, "Main target changed from {} to {}.\n", mainTarget.toString(), item);
            const Rilk::QualifiedTargetName named = Rilk::QualifiedTargetName::parse(item);
            if (!named.ns.empty()) mainTarget.ns = named.ns;
            if (!named.unit.empty()) mainTarget.unit = named.unit;
            mainTarget.target = named.target;
            continue;
        }
        if (useProfileNamed(workspace, item, true)) continue;
        const Rilk::Assignment assignment = parseItemAssignment(item);
        Rilk::applyCommandLineAssignment(workspace.commandLineContext, assignment);
        Rilk::log(Rilk::LogLevel::Trace, "Identified assignment '{}'.\n", assignment.toString());
    }
}

}  // namespace Rilk
