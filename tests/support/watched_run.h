#pragma once

// Runs the real rilk binary under a watch on its memory and time, so that a test of hostile
// input fails, instead of exhausting the machine or hanging, when a change lets the program
// read without end. The watch is the test's own, not a limit inside the child: sanitizer
// builds reserve far more address space than they use, so an address-space limit would stop
// them for nothing.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/wait_until.h"

namespace RilkTest {

struct Watch {
    /// The child is killed once its resident memory passes this many bytes (0: no bound).
    std::uintmax_t maxResidentBytes = 0;
    /// The child is killed once it has run this long: a guard against a hang, not a bound
    /// on the time a run should take.
    std::chrono::milliseconds maxTime = kHangGuard;
};

struct WatchedResult : ProcessResult {
    /// The most memory the child held at once, from the system's own count.
    std::uintmax_t peakResidentBytes = 0;
    /// Why the watch killed the child ("memory", "time"); empty when it ended by itself.
    std::string killedFor;
};

/// Runs the `rilk` binary with the arguments (standard input empty) and collects its output,
/// exit status and peak memory, killing it when it breaks the watch.
WatchedResult runRilkWatched(const Watch& watch, const std::vector<std::string>& args,
                             const ProcessOptions& options = {});

}  // namespace RilkTest
