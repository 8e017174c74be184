#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "base/values/Point.h"
#include "core/capture/InputEventConsumer.h"
#include "core/playback/FidelityReport.h"
#include "core/playback/PlaybackAction.h"

namespace brevanor {

// Judges a replay by its own events as the display server hands them back to
// the listener: the server's times and places are what any other program sees,
// so the figures agree with an outside observer's. The engine tells what it is
// about to post and when it was due; the listener passes every event on. A
// press, release, key or scroll that came back is paired with the next posted
// one of its kind (a scroll of several notches with its first notch); its timing error is measured, as an outside
// comparison does, from the first pair of its run, so a run that starts late as a whole is not counted late event by
// event. Moves and trackpad scrolls are not judged: how many events they make is the platform's business. Safe to use
// from any thread; memory stays bounded however long a replay runs.
class ReplayFidelity : public InputEventConsumer {
public:
    // Forgets the last replay; called before a replay's first event.
    void begin();
    // The engine is about to post `action`, due at `deadlineNanos` (MonotonicClock), in run `run` (from 1).
    void expect(const PlaybackAction& action, std::uint64_t deadlineNanos, std::int64_t run);
    // The engine finished posting the action due at `deadlineNanos` at `postedNanos` (MonotonicClock); from the
    // engine's thread only, as expect().
    void posted(std::uint64_t deadlineNanos, std::uint64_t postedNanos);
    // Events of this and other programs; only the synthetic ones are looked at.
    void consume(const TapEvent& event) override;
    // Waits until every posted event came back or `timeoutNanos` passed; true when all came back.
    bool waitUntilSettled(std::uint64_t timeoutNanos);
    FidelityReport report() const;

private:
    struct Expected {
        TapEvent::Kind::Type type = TapEvent::Kind::Type::mouseDown;
        std::uint16_t keyCode = 0;
        std::optional<Point> position;
        std::int64_t notches = 0;  // scroll: wheel clicks posted, each coming back as a scroll of its own
        std::uint64_t deadlineNanos = 0;
        std::int64_t run = 0;
    };
    struct RunStart {
        std::int64_t run = 0;
        std::uint64_t deadlineNanos = 0;
        std::uint64_t observedNanos = 0;
    };
    // Timing errors in bins of 10 us up to 100 ms; the last bin holds everything later.
    static constexpr std::size_t kBins = 10'001;
    static constexpr double kBinMs = 0.01;

    bool matches(const Expected& expected, const TapEvent& event) const;
    void pair(const Expected& expected, const TapEvent& event);
    void forgetOverdue(std::uint64_t nowDeadlineNanos);

    mutable std::mutex mutex_;
    std::condition_variable settled_;
    std::deque<Expected> pending_;
    std::optional<RunStart> runStart_;
    std::int64_t notchesToAbsorb_ = 0;  // of the scroll paired last
    std::int64_t expected_ = 0;
    std::int64_t observed_ = 0;
    double maxErrorMs_ = 0;
    std::atomic<double> postedLateMs_ = 0;  // of the engine's thread
    double arrivedLateMs_ = 0;
    double pointerErrorPx_ = 0;
    std::array<std::uint32_t, kBins> bins_{};
};

}  // namespace brevanor
