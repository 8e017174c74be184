#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/dispatch/MainQueue.h"
#include "base/platform/SecureInput.h"
#include "core/capture/InputEventConsumer.h"
#include "core/dispatch/SerialQueue.h"
#include "core/dispatch/TimedQueue.h"
#include "core/dispatch/Timer.h"
#include "core/model/Recording.h"

namespace brevanor {

class InputEventTap;

// Turns the listener's events into the event list of a Recording: drops input
// that Brevanor posted or that was addressed to this process, records buttons,
// scrolls, keys and modifiers one for one, thins mouse moves into paths, marks
// pauses as idle gaps, leaves out releases whose press it did not record (the
// shortcut that started it), and at the end cuts off the keystrokes of the
// shortcut that stopped it. While recording it watches Secure Input, which hides
// keystrokes from the listener. One recorder serves every recording of the
// process; it must be owned by a std::shared_ptr.
class EventRecorder final : public InputEventConsumer, public std::enable_shared_from_this<EventRecorder> {
public:
    // How late after the start the listener may stamp the starting shortcut's
    // own press (the X server's clock counts whole milliseconds).
    static constexpr std::uint64_t triggerPressWindow = 100'000'000;
    // Least time between two kept points of a mouse path.
    static constexpr std::uint64_t moveMinInterval = 8'000'000;
    // Least distance, in points, between two kept points of a mouse path.
    static constexpr double moveMinDistance = 2.0;
    // A longer pause becomes an idle gap; a move this long after the previous one starts a new path.
    static constexpr std::uint64_t idleGapThreshold = 50'000'000;
    // How often Secure Input is polled while recording.
    static constexpr std::uint64_t secureInputPollInterval = 250'000'000;

    // Secure Input is polled on `pollQueue`, by its clock, off the main thread.
    // `captureEnvironment` describes the machine when a recording starts without
    // an environment given; it may be empty (the environment stays unknown).
    EventRecorder(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<TimedQueue> pollQueue,
                  std::shared_ptr<SecureInput> secureInput, std::function<EnvironmentSnapshot()> captureEnvironment);
    ~EventRecorder() override;
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    // Told each change of the Secure Input state while recording, and false when a
    // recording stops while it was on. Set on the main thread; called there through
    // the main queue.
    std::function<void(bool)> onSecureInputChanged;

    bool isRecording() const;
    bool isSecureInputActive() const;
    // Finished events, plus one while a mouse path is open.
    std::int64_t eventCount() const;
    // Key presses of the last stopped recording that went to this process's
    // own windows and so were left out, for telling the user.
    std::int64_t ownKeyPressesLeftOut() const;

    // Begins a recording at the monotonic time `at`, registered with `tap` when
    // one is given. Without an environment one is captured first. Does nothing
    // while already recording. `triggerKeyCode` is the key of the shortcut
    // that started it, still held: its press is not recorded, even when the
    // listener stamps it a moment after `at`.
    void start(std::shared_ptr<InputEventTap> tap, std::uint64_t at, std::optional<EnvironmentSnapshot> environment,
               std::optional<std::uint16_t> triggerKeyCode = std::nullopt);

    void consume(const TapEvent& event) override;

    // Ends the recording at the monotonic time `at` and returns it, unnamed when
    // `name` is empty. Input from `cutoff` on (the key press that stopped the
    // recording) and from `at` on is discarded; trailing presses of `stopKeyCode`
    // and of modifiers are dropped; a pause before `at` becomes a trailing idle
    // gap. Called while idle it returns what the last recording left.
    Recording stop(std::uint64_t at, std::optional<std::uint64_t> cutoff, std::optional<std::uint16_t> stopKeyCode,
                   std::string name);

private:
    // Guarded by mutex_.
    void recordPathMove(std::uint64_t t, Point p);
    void beginPath(std::uint64_t t, Point p);
    void closePath();
    void insertIdleGapBefore(std::uint64_t t);
    void append(RecordingEvent event);
    bool isTriggerPress(const TapEvent& event);
    bool pressWasRecorded(const TapEvent& event);
    void truncateAt(std::uint64_t c);
    void dropTrailingStopKeystrokes(std::optional<std::uint16_t> stopKeyCode);
    void addTrailingIdleGap(std::uint64_t end);

    void startSecureInputWatch();
    void stopSecureInputWatch();
    void pollSecureInput();
    void postSecureInputChange(bool active);  // with mutex_ held, so changes arrive in order

    const std::shared_ptr<MainQueue> mainQueue_;
    const std::shared_ptr<TimedQueue> pollQueue_;
    const std::shared_ptr<SecureInput> secureInput_;
    const std::function<EnvironmentSnapshot()> captureEnvironment_;
    const std::int32_t ownPID_;  // events addressed to this process are not recorded

    mutable std::mutex mutex_;
    bool recording_ = false;
    std::shared_ptr<InputEventTap> tap_;
    std::uint64_t startTimestamp_ = 0;
    EnvironmentSnapshot environment_;
    std::vector<RecordingEvent> events_;
    std::vector<std::uint64_t> ownKeyPressTimes_;  // since the start
    std::int64_t ownKeyPressesLeftOut_ = 0;
    // Keys, modifiers and buttons pressed in this recording and not released yet.
    std::set<std::uint16_t> keysDown_;
    std::set<std::int64_t> buttonsDown_;
    std::optional<std::uint16_t> triggerKeyCode_;  // until that key's first event
    std::uint64_t lastEventEnd_ = 0;
    // The open mouse path; empty points mean none is open.
    std::uint64_t pathStart_ = 0;
    std::vector<PathPoint> pathPoints_;
    std::uint64_t lastKeptTime_ = 0;
    Point lastKeptPoint_;
    std::uint64_t lastRawTime_ = 0;
    Point lastRawPoint_;
    std::shared_ptr<Timer> secureInputTimer_;
    bool secureInputActive_ = false;
};

}  // namespace brevanor
