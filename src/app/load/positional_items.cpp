// The command-line items that are no switches: the target, profiles and assignments.
#include <string>

#include "app/driver/rilk_app.h"
#include "parser/parse_assignment.h"
#include "types/qualified_target_name.h"
#include "util/logger.h"

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
        const Rilk::Assignment assignment = Rilk::parseAssignment(item, ".");
        commandLineContext.addAssignment(assignment, Rilk::kKeepModifier);
        Rilk::log(Rilk::LogLevel::Trace, "Identified assignment '{}'.\n", assignment.toString());
    }
}
