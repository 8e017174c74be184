#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace brevanor::testing {

// Checks `condition` every millisecond until it holds (true) or `timeout` has
// passed (false). For tests whose work runs on real threads: the timeout is
// generous, so a loaded machine only makes the test slower, never red.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace brevanor::testing
