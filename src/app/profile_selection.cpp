// Profiles: the one named on the command line, and the context of a run without project.
#include "app/rilk_app.h"

void RilkApplication::ApplyDefaultProfile() {
    // Copies, so that nothing done to the runtime context reaches the values kept here.
    implicitContext.addAssignments(Rilk::Context(implicitVariables));
    if (!cmdMode) implicitContext.addAssignments(Rilk::Context(commandLineContext));
}
