// The command line's assignments on top of a context: "=" has the last word.
#include "app/load/command_line_assignment.h"

namespace Rilk {

void applyCommandLineAssignment(Context& context, const Assignment& assignment) {
    const auto found = context.assignments.find(assignment.name);
    if (assignment.type != AssignType::Set || found == context.assignments.end()) {
        context.addAssignment(assignment, kKeepModifier);
        return;
    }
    // "=" on a variable keeps its first-made operator; replacing the entry drops it.
    const Assignment replacing(found->second.name, assignment.value, assignment.type,
                               assignment.modifier);
    context.assignments.erase(found);
    context.addAssignment(replacing, kKeepModifier);
}

void applyCommandLineAssignments(Context& context, const Context& commandLine) {
    for (const auto& [name, stored] : commandLine.assignments) {
        applyCommandLineAssignment(context, stored);
    }
}

}  // namespace Rilk
