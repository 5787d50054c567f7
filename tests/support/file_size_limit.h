#pragma once

// Runs code or the real rilk binary as if the disk were full: every file the child writes
// can grow to a given size and no further, and a write past it fails with EFBIG instead of
// ending the process by SIGXFSZ.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace RilkTest {

/// Runs `body` in a forked child whose files can grow to at most `bytes` (standard input
/// empty) and collects what it writes to standard output and error, which go through pipes
/// so that the limit never touches them. When `body` returns the child flushes standard
/// output and exits with status 0, running no exit handlers.
ProcessResult runInChildWithFileSizeLimit(std::uintmax_t bytes, const std::function<void()>& body);

/// Runs the `rilk` binary under test with the given arguments and the file-size limit.
/// `options.environment` must set `HOME` (a temporary directory): a run that saves the
/// registry must never reach the real one. Throws std::invalid_argument otherwise.
ProcessResult runRilkWithFileSizeLimit(std::uintmax_t bytes, const std::vector<std::string>& args,
                                       const ProcessOptions& options);

}  // namespace RilkTest
