#pragma once

#include <functional>

#include "support/run_process.h"

namespace RilkTest {

/// Where a child's standard output goes.
enum class Console {
    Pipe,      ///< standard output and error are separate pipes
    Terminal,  ///< both go to one pseudo-terminal with no output translation; `err` stays empty
};

/// Runs `body` in a forked child and collects what it writes. The child has its own copy of
/// all global state; when `body` returns it flushes standard output and exits with status 0
/// (no exit handlers run). A child killed by a signal gives 128 + the signal number.
ProcessResult runInChild(const std::function<void()>& body, Console console = Console::Pipe);

}  // namespace RilkTest
