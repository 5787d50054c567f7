// The command-line items that are no switches: the target, profiles and assignments.
#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "app/driver/rilk_app.h"
#include "parser/parse_assignment.h"
#include "types/qualified_target_name.h"
#include "util/logger.h"

namespace {

/// The assignment a command-line item holds; a failure names the item, which is neither a
/// target nor a profile either.
Rilk::Assignment parseItemAssignment(const std::string& item) {
    try {
        return Rilk::parseAssignment(item, ".");
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(fmt::format(
            "Command-line item '{}' is not a target, a profile or a valid assignment: {}", item,
            error.what()));
    }
}

}  // namespace

void RilkApplication::HandlePositionalArguments() {
    bool targetGiven = false;
    for (const std::string& item : positionalItems) {
        if (unitIndex.hasTarget(item)) {
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
        if (useProfileNamed(item, true)) continue;
        const Rilk::Assignment assignment = parseItemAssignment(item);
        commandLineContext.addAssignment(assignment, Rilk::kKeepModifier);
        Rilk::log(Rilk::LogLevel::Trace, "Identified assignment '{}'.\n", assignment.toString());
    }
}
