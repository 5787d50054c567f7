#pragma once

#include <functional>

namespace Rilk {

/// Runs the body of a run and turns every failure into its report and exit status: the
/// system's own errors print "Error: " and their message at level `Error`, a malformed reference
/// name prints "Error: " with its message and position, a standard exception prints
/// "Error: " and its text at level `Error`, all three giving 1. Anything else goes to the terminate
/// handler, which ends the process. Without a failure the body's own status is returned.
int runReportingErrors(const std::function<int()>& body);

}  // namespace Rilk
