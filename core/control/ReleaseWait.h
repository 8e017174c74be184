#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/dispatch/MainQueue.h"
#include "base/time/Clock.h"

namespace brevanor {

class HeldInput;

// Holds back the first event of a playback until the user has let go of every
// key and button: a playback started by a shortcut, or from a menu with a
// button still down, would otherwise merge with what the hands still hold (a
// replayed "a" arriving as Ctrl+Alt+a). The state is polled on the main queue;
// after maxWaitNanos the playback starts anyway, since a stuck key must not
// stop it for ever. Main thread only.
class ReleaseWait : public std::enable_shared_from_this<ReleaseWait> {
public:
    static constexpr std::uint64_t pollNanos = 20'000'000;
    static constexpr std::uint64_t maxWaitNanos = 3'000'000'000;

    // `heldInput` may be null (nothing is then known to be held); `now` reads MonotonicClock or a test's clock.
    static std::shared_ptr<ReleaseWait> make(std::shared_ptr<HeldInput> heldInput, std::shared_ptr<MainQueue> mainQueue,
                                             Clock now);

    // Runs `released` at once when nothing is held. Otherwise calls
    // `onWaitingChanged(true)` and runs `released` from the main queue once
    // everything is let go or the wait ran out, after `onWaitingChanged(false)`.
    // A wait under way is dropped first.
    void start(std::function<void()> released, std::function<void(bool)> onWaitingChanged);
    // Drops the wait under way: its `released` never runs; `onWaitingChanged(false)` does.
    void cancel();
    bool isWaiting() const { return waiting_; }

private:
    ReleaseWait(std::shared_ptr<HeldInput> heldInput, std::shared_ptr<MainQueue> mainQueue, Clock now);
    void poll(std::uint64_t generation);
    void finish();

    const std::shared_ptr<HeldInput> heldInput_;
    const std::shared_ptr<MainQueue> mainQueue_;
    const Clock now_;
    bool waiting_ = false;
    std::uint64_t deadline_ = 0;
    // Main-queue tasks cannot be taken back: a poll of an earlier wait finds its generation gone.
    std::uint64_t generation_ = 0;
    std::function<void()> released_;
    std::function<void(bool)> onWaitingChanged_;
};

}  // namespace brevanor
