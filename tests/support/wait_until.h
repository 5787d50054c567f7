#pragma once

// Waiting for what a test checks (a file, a line of output, a state of another process)
// instead of for a fixed time: a machine under load, or with two cores and a sanitizer
// build, turns every fixed pause into a race.

#include <chrono>
#include <filesystem>
#include <thread>

namespace RilkTest {

/// The longest a test waits for something it expects to happen: only a guard against a
/// hang, far beyond what a sanitizer build needs on a loaded two-core machine.
inline constexpr std::chrono::seconds kHangGuard{120};

/// Asks `ready` every few milliseconds until it answers true or `limit` has passed; returns
/// its last answer.
template <typename Ready>
bool waitUntil(Ready&& ready, std::chrono::milliseconds limit = kHangGuard) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return ready();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

/// Waits until `file` exists, at most `limit`; whether it does.
inline bool waitForFile(const std::filesystem::path& file,
                        std::chrono::milliseconds limit = kHangGuard) {
    return waitUntil([&] { return std::filesystem::exists(file); }, limit);
}

}  // namespace RilkTest
