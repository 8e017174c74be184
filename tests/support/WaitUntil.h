#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace brevanor::testing {

// Checks `condition` every `interval` until it holds (true) or `timeout` has
// passed (false). For tests whose work runs on real threads or in other
// processes: the timeout is generous, so a loaded machine only makes the test
// slower, never red. A condition that is costly to check (a screen grab, a
// round trip to a server) asks for a longer interval.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10),
                      std::chrono::milliseconds interval = std::chrono::milliseconds(1)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(interval);
    }
    return true;
}

}  // namespace brevanor::testing
