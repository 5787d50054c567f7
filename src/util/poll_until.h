#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

namespace Util {

/// Asks `done` until it answers true or `deadline` has passed, sleeping between the calls
/// 2 ms at first, twice as long each time, up to 50 ms: quick for what ends at once, cheap
/// for what takes seconds. Returns its last answer.
template <typename Done>
bool pollUntil(std::chrono::steady_clock::time_point deadline, Done&& done) {
    auto pause = std::chrono::milliseconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace Util
