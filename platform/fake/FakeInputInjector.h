#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "base/platform/InputInjector.h"

namespace brevanor {

// An injector that posts nothing: it records every event it is handed, with the
// MonotonicClock time of the hand-over. Thread-safe; tests read it from any thread.
class FakeInputInjector final : public InputInjector {
public:
    struct Posted {
        SyntheticInput input;
        std::uint64_t atNanos = 0;
        friend bool operator==(const Posted&, const Posted&) = default;
    };

    void prepareToPost() override;
    bool post(const SyntheticInput& input) override;
    std::optional<Point> cursorPosition() override;
    // Answers from the key-downs recorded here.
    bool didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos) override;

    void setCursorPosition(std::optional<Point> position);
    // Events for which `fails` answers true are refused as if the platform could not create them.
    void failWhen(std::function<bool(const SyntheticInput&)> fails);
    // Runs on the posting thread for every event, before it is recorded (to stall or interleave).
    void onPost(std::function<void(const SyntheticInput&)> hook);

    // How often prepareToPost() was called, and how many events were posted by then.
    int preparedCount() const;
    std::size_t postedWhenPrepared() const;
    std::vector<Posted> posted() const;
    std::size_t postedCount() const;
    // Blocks until at least `count` events were posted; false after `timeout`.
    bool waitUntilPosted(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // The inputs alone, in posting order.
    std::vector<SyntheticInput> postedInputs() const;
    void clear();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable postedChanged_;
    int prepared_ = 0;
    std::size_t postedWhenPrepared_ = 0;
    std::deque<Posted> posted_;  // never moves what it holds: a long run's growth costs no copying pause
    std::optional<Point> cursor_ = Point{};
    std::function<bool(const SyntheticInput&)> fails_;
    std::function<void(const SyntheticInput&)> hook_;
};

}  // namespace brevanor
