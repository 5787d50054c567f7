#pragma once

// Runs a program traced (ptrace), so that a test can act at one exact point of its run: when
// a given system call of one of its threads has returned, before that thread goes on. What
// another process does to the program's files at that point then happens at that point on
// every run, with no wait and no race.

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace RilkTest {

/// A system call of the traced program that has just returned.
struct ReturnedCall {
    pid_t thread = 0;
    std::uint64_t number = 0;
    std::array<std::uint64_t, 6> arguments{};
    std::int64_t result = 0;
};

/// What `runTraced` gives: the program's result, and whether the action ran.
struct TracedResult {
    ProcessResult process;
    bool acted = false;
};

/// Runs `argv` as `runProcess` does, every thread traced. At the first returned system call
/// for which `at` is true, `act` runs while that thread is stopped; each thread is then let
/// go at its next stop, and runs on as it would untraced. Signals reach the program as they
/// would untraced.
TracedResult runTraced(const std::vector<std::string>& argv, const ProcessOptions& options,
                       const std::function<bool(const ReturnedCall&)>& at,
                       const std::function<void()>& act);

/// The path a descriptor of a traced thread names ("" when it names none).
std::string descriptorPath(pid_t thread, std::uint64_t descriptor);

}  // namespace RilkTest
