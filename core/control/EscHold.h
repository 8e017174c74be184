#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "base/dispatch/MainQueue.h"

namespace brevanor {

// Holding Esc stops whatever runs: the one rule for the application and the
// command line. A hold begins when the listener delivers Esc's first key-down
// (auto-repeats must not restart it), ends with its key-up, and completes
// holdNanos after it began; the handler then runs once on the main thread
// with the key-down's time. The wait is a delayed main-queue task, so a test's
// manual queue decides when it is over. Callable from any thread.
class EscHold : public std::enable_shared_from_this<EscHold> {
public:
    using Handler = std::function<void(std::uint64_t pressTimeNanos)>;

    static constexpr std::uint64_t defaultHoldNanos = 1'000'000'000;

    static std::shared_ptr<EscHold> make(std::shared_ptr<MainQueue> mainQueue, std::uint64_t holdNanos,
                                         Handler handler);

    // Esc went down (not an auto-repeat): a new hold begins, replacing one under way.
    void press(std::uint64_t pressTimeNanos);
    // Esc went up, or holding it stops nothing any more: the hold under way ends without effect.
    void cancel();

private:
    EscHold(std::shared_ptr<MainQueue> mainQueue, std::uint64_t holdNanos, Handler handler);
    void complete(std::uint64_t generation, std::uint64_t pressTimeNanos);

    const std::shared_ptr<MainQueue> mainQueue_;
    const std::uint64_t holdNanos_;
    const Handler handler_;

    std::mutex mutex_;  // guards the two fields below; never held while the handler runs
    bool pending_ = false;
    // Delayed tasks cannot be taken back: one of a hold that ended finds its generation gone.
    std::uint64_t generation_ = 0;
};

}  // namespace brevanor
