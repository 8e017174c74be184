#include "core/capture/EventRecorder.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>

#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "core/capture/InputEventTap.h"
#include "core/model/SaturatingMath.h"
#include "core/model/TrimEngine.h"

namespace brevanor {

namespace {

// The poll may run a little late; a zero leeway would ask the queue for a
// precise, spinning wake-up four times a second for nothing.
constexpr std::uint64_t kSecureInputPollLeewayNanos = 10'000'000;

bool isPointerEvent(TapEvent::Kind::Type type) {
    using Type = TapEvent::Kind::Type;
    return type == Type::mouseDown || type == Type::mouseUp || type == Type::scroll || type == Type::mouseMoved;
}

bool isFinite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

double distanceSquared(Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return dx * dx + dy * dy;
}

RecordingEvent toRecordingEvent(const TapEvent& event, std::uint64_t t) {
    using Type = TapEvent::Kind::Type;
    const TapEvent::Kind& kind = event.kind;
    const Point at = event.location;
    switch (kind.type) {
        case Type::mouseDown:
            return RecordingEvent::mouseDown(
                {t, kind.button, kind.buttonNumber, at.x, at.y, kind.clickCount, event.flags});
        case Type::mouseUp:
            return RecordingEvent::mouseUp(
                {t, kind.button, kind.buttonNumber, at.x, at.y, kind.clickCount, event.flags});
        case Type::scroll: return RecordingEvent::scroll({t, at.x, at.y, kind.scroll, event.flags});
        case Type::keyDown: return RecordingEvent::keyDown({t, kind.keyCode, event.flags, kind.isRepeat});
        case Type::keyUp: return RecordingEvent::keyUp({t, kind.keyCode, event.flags, false});
        case Type::flagsChanged:
            return RecordingEvent::flagsChanged(
                {t, kind.keyCode, event.flags, ModifierKeys::isDown(kind.keyCode, event.flags)});
        case Type::mouseMoved: break;  // moves become paths, never single events
    }
    return RecordingEvent::idleGap({t, 0});
}

}  // namespace

EventRecorder::EventRecorder(std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<TimedQueue> pollQueue,
                             std::shared_ptr<SecureInput> secureInput,
                             std::function<EnvironmentSnapshot()> captureEnvironment)
    : mainQueue_(std::move(mainQueue)),
      pollQueue_(std::move(pollQueue)),
      secureInput_(std::move(secureInput)),
      captureEnvironment_(std::move(captureEnvironment)),
      ownPID_(static_cast<std::int32_t>(getpid())) {}

// A recorder that goes away while registered is dropped by the listener as an
// expired consumer; a poll holds the recorder while it runs, and the ones still
// to come find it gone.
EventRecorder::~EventRecorder() = default;

bool EventRecorder::isRecording() const {
    std::lock_guard lock(mutex_);
    return recording_;
}

bool EventRecorder::isSecureInputActive() const {
    std::lock_guard lock(mutex_);
    return secureInputActive_;
}

std::int64_t EventRecorder::ownKeyPressesLeftOut() const {
    std::lock_guard lock(mutex_);
    return ownKeyPressesLeftOut_;
}

std::int64_t EventRecorder::eventCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int64_t>(events_.size()) + (pathPoints_.empty() ? 0 : 1);
}

void EventRecorder::start(std::shared_ptr<InputEventTap> tap, std::uint64_t at,
                          std::optional<EnvironmentSnapshot> environment, std::optional<std::uint16_t> triggerKeyCode) {
    // Before anything changes: throws when the recorder is not owned by a shared_ptr.
    const std::shared_ptr<EventRecorder> self = shared_from_this();
    // Before the environment is read: whether positions are places on the screen depends on it.
    if (tap) tap->trackScreenPositions(true);
    if (!environment) {
        // Capture degrades silently: an environment that cannot be read stays unknown.
        environment = EnvironmentSnapshot::empty();
        if (captureEnvironment_) {
            try {
                environment = captureEnvironment_();
            } catch (const std::exception&) {
            }
        }
    }
    {
        std::lock_guard lock(mutex_);
        if (recording_) return;
        recording_ = true;
        tap_ = tap;
        startTimestamp_ = at;
        environment_ = std::move(*environment);
        events_.clear();
        ownKeyPressTimes_.clear();
        ownKeyPressesLeftOut_ = 0;
        keysDown_.clear();
        triggerKeyCode_ = triggerKeyCode;
        buttonsDown_.clear();
        pathPoints_.clear();
        lastEventEnd_ = 0;
        pathStart_ = 0;
        lastKeptTime_ = 0;
        lastKeptPoint_ = {};
        lastRawTime_ = 0;
        lastRawPoint_ = {};
    }
    if (tap) tap->addConsumer(self);
    startSecureInputWatch();
}

void EventRecorder::consume(const TapEvent& event) {
    std::lock_guard lock(mutex_);
    if (!recording_ || event.isSynthetic || event.timestamp < startTimestamp_) return;
    if (event.targetPID == ownPID_) {
        // Typing into Brevanor's own windows is not recorded, and the user is told.
        if (event.kind.type == TapEvent::Kind::Type::keyDown && !event.kind.isRepeat) {
            ownKeyPressTimes_.push_back(event.timestamp - startTimestamp_);
        }
        return;
    }
    // A position that is not a number cannot be played back or stored.
    if (isPointerEvent(event.kind.type) && !isFinite(event.location)) return;
    if (isTriggerPress(event) || !pressWasRecorded(event)) return;

    const std::uint64_t t = event.timestamp - startTimestamp_;
    if (event.kind.type == TapEvent::Kind::Type::mouseMoved) {
        recordPathMove(t, event.location);
        return;
    }
    closePath();
    // An event stamped before the end of what is already recorded (a source may
    // deliver slightly out of order) is placed at that end, so the list stays in
    // time order and nothing is lost.
    const std::uint64_t placedAt = std::max(t, lastEventEnd_);
    insertIdleGapBefore(placedAt);
    events_.push_back(toRecordingEvent(event, placedAt));
    lastEventEnd_ = placedAt;
}

Recording EventRecorder::stop(std::uint64_t at, std::optional<std::uint64_t> cutoff,
                              std::optional<std::uint16_t> stopKeyCode, std::string name) {
    std::shared_ptr<InputEventTap> tap;
    {
        std::lock_guard lock(mutex_);
        recording_ = false;  // from here on consumed events are ignored
        tap = tap_;
    }
    if (tap) {
        tap->removeConsumer(*this);
        tap->trackScreenPositions(false);
    }
    stopSecureInputWatch();

    std::lock_guard lock(mutex_);
    closePath();
    std::uint64_t end = saturatingSubtract(at, startTimestamp_);
    // Input from the cutoff on belongs to the key press that stopped the
    // recording. Input stamped after the stop itself can only come from a source
    // with a wrong clock; it is dropped the same way, which keeps one bad time
    // stamp from stretching the recording.
    std::optional<std::uint64_t> c;
    if (cutoff && *cutoff > startTimestamp_) c = *cutoff - startTimestamp_;
    if (at > startTimestamp_) c = std::min(c.value_or(end), end);
    if (c) {
        truncateAt(*c);
        end = std::min(end, *c);
    }
    // The press of the shortcut that stopped the recording is no typing of the user's.
    ownKeyPressesLeftOut_ =
        std::count_if(ownKeyPressTimes_.begin(), ownKeyPressTimes_.end(), [end](std::uint64_t t) { return t < end; });
    dropTrailingStopKeystrokes(stopKeyCode);
    addTrailingIdleGap(end);
    return Recording(Uuid::random(), std::move(name), std::chrono::system_clock::now(), environment_,
                     RecordingSettings{}, TrimEngine::automaticTrim(events_), events_);
}

bool EventRecorder::isTriggerPress(const TapEvent& event) {
    using Type = TapEvent::Kind::Type;
    const TapEvent::Kind& kind = event.kind;
    if (!triggerKeyCode_ || (kind.type != Type::keyDown && kind.type != Type::keyUp) ||
        kind.keyCode != *triggerKeyCode_) {
        return false;
    }
    // The key's first event is its release (the press came before the start)
    // or the shortcut's own press stamped late; a later press is the user's.
    triggerKeyCode_.reset();
    return kind.type == Type::keyDown && event.timestamp - startTimestamp_ < triggerPressWindow;
}

bool EventRecorder::pressWasRecorded(const TapEvent& event) {
    // The shortcut that started the recording is let go after the start: a
    // release without its press would play back as a stray release of keys
    // the user never pressed in the recording.
    using Type = TapEvent::Kind::Type;
    const TapEvent::Kind& kind = event.kind;
    switch (kind.type) {
        case Type::keyDown: keysDown_.insert(kind.keyCode); return true;
        case Type::keyUp: return keysDown_.erase(kind.keyCode) > 0;
        case Type::flagsChanged:
            // Caps Lock reports its lock going off, which is no release of a press.
            if (kind.keyCode == ModifierKeys::capsLockKeyCode) return true;
            if (ModifierKeys::isDown(kind.keyCode, event.flags)) {
                keysDown_.insert(kind.keyCode);
                return true;
            }
            return keysDown_.erase(kind.keyCode) > 0;
        case Type::mouseDown: buttonsDown_.insert(kind.buttonNumber); return true;
        case Type::mouseUp: return buttonsDown_.erase(kind.buttonNumber) > 0;
        case Type::scroll:
        case Type::mouseMoved: return true;
    }
    return true;
}

void EventRecorder::recordPathMove(std::uint64_t t, Point p) {
    if (pathPoints_.empty()) {
        beginPath(t, p);
        return;
    }
    if (t > saturatingAdd(lastRawTime_, idleGapThreshold)) {
        closePath();
        beginPath(t, p);
        return;
    }
    if (t < lastRawTime_) return;
    if (t >= saturatingAdd(lastKeptTime_, moveMinInterval) &&
        distanceSquared(lastKeptPoint_, p) >= moveMinDistance * moveMinDistance) {
        pathPoints_.push_back({t - pathStart_, p.x, p.y});
        lastKeptTime_ = t;
        lastKeptPoint_ = p;
    }
    lastRawTime_ = t;
    lastRawPoint_ = p;
}

void EventRecorder::beginPath(std::uint64_t t, Point p) {
    t = std::max(t, lastEventEnd_);  // in time order, as in consume()
    insertIdleGapBefore(t);
    pathStart_ = t;
    pathPoints_.assign(1, PathPoint{0, p.x, p.y});
    lastKeptTime_ = lastRawTime_ = t;
    lastKeptPoint_ = lastRawPoint_ = p;
}

void EventRecorder::closePath() {
    if (pathPoints_.empty()) return;
    // The path always ends where the cursor came to rest.
    if (lastRawPoint_ != lastKeptPoint_)
        pathPoints_.push_back({lastRawTime_ - pathStart_, lastRawPoint_.x, lastRawPoint_.y});
    lastEventEnd_ = pathStart_ + pathPoints_.back().dt;
    // A finished path never grows again: give back the room kept for growth.
    pathPoints_.shrink_to_fit();
    events_.push_back(RecordingEvent::mousePath({pathStart_, std::move(pathPoints_)}));
    pathPoints_.clear();
}

void EventRecorder::insertIdleGapBefore(std::uint64_t t) {
    if (t <= saturatingAdd(lastEventEnd_, idleGapThreshold)) return;
    events_.push_back(RecordingEvent::idleGap({lastEventEnd_, t - lastEventEnd_}));
    lastEventEnd_ = t;
}

void EventRecorder::truncateAt(std::uint64_t c) {
    std::erase_if(events_, [c](const RecordingEvent& event) { return event.timestamp() >= c; });
    // Events never overlap, so only the last one can reach past the cutoff.
    if (!events_.empty() && events_.back().kind() == RecordingEvent::Kind::mousePath &&
        events_.back().endTimestamp() >= c) {
        MousePathEvent& path = events_.back().path();
        std::erase_if(path.points, [&](const PathPoint& point) { return saturatingAdd(path.t, point.dt) >= c; });
        if (path.points.empty()) events_.pop_back();
    }
    if (!events_.empty() && events_.back().isIdleGap() && events_.back().endTimestamp() > c) {
        IdleGapEvent& gap = events_.back().idle();
        gap.durationNanos = c - gap.t;
    }
    lastEventEnd_ = events_.empty() ? 0 : events_.back().endTimestamp();
}

void EventRecorder::dropTrailingStopKeystrokes(std::optional<std::uint16_t> stopKeyCode) {
    // People hold a shortcut's modifiers for a moment before they press its key,
    // so pauses lie between the keystrokes to drop: they are looked past, and
    // dropped with the keystrokes before them. The trailing idle gap added next
    // covers that time again.
    std::size_t kept = events_.size();
    for (std::size_t i = events_.size(); i > 0; --i) {
        const RecordingEvent& event = events_[i - 1];
        if (event.isIdleGap()) continue;
        bool drop = false;
        switch (event.kind()) {
            case RecordingEvent::Kind::keyDown:
            case RecordingEvent::Kind::keyUp: drop = stopKeyCode == event.key().keyCode; break;
            // A modifier pressed as part of the shortcut; a release ends the dropping.
            case RecordingEvent::Kind::flagsChanged: drop = event.flags().isDown; break;
            default: break;
        }
        if (!drop) break;
        kept = i - 1;
    }
    events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(kept), events_.end());
    lastEventEnd_ = events_.empty() ? 0 : events_.back().endTimestamp();
}

void EventRecorder::addTrailingIdleGap(std::uint64_t end) {
    if (end <= saturatingAdd(lastEventEnd_, idleGapThreshold)) return;
    if (!events_.empty() && events_.back().isIdleGap()) {
        IdleGapEvent& gap = events_.back().idle();
        gap.durationNanos = end - gap.t;
    } else {
        events_.push_back(RecordingEvent::idleGap({lastEventEnd_, end - lastEventEnd_}));
    }
    lastEventEnd_ = end;
}

void EventRecorder::startSecureInputWatch() {
    std::lock_guard lock(mutex_);
    // A stop that came in since start already ended the watch it would have stopped.
    if (!recording_ || secureInputTimer_) return;
    secureInputTimer_ = pollQueue_->makeTimer([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->pollSecureInput();
    });
    secureInputTimer_->schedule(pollQueue_->now(), secureInputPollInterval, kSecureInputPollLeewayNanos);
}

void EventRecorder::stopSecureInputWatch() {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(secureInputTimer_);
        secureInputTimer_ = nullptr;
    }
    if (timer) timer->cancel();
    std::lock_guard lock(mutex_);
    if (!secureInputActive_) return;
    secureInputActive_ = false;
    postSecureInputChange(false);
}

void EventRecorder::pollSecureInput() {
    const bool active = secureInput_->isSecureInputEnabled();
    std::lock_guard lock(mutex_);
    // A tick already under way when the recording stopped finds it stopped here.
    if (!recording_ || active == secureInputActive_) return;
    secureInputActive_ = active;
    postSecureInputChange(active);
}

void EventRecorder::postSecureInputChange(bool active) {
    // Posted with the lock held, so that a poll and a stop racing each other
    // reach the main thread in the order their changes were made.
    mainQueue_->post([weak = weak_from_this(), active] {
        auto self = weak.lock();
        if (self && self->onSecureInputChanged) self->onSecureInputChanged(active);
    });
}

}  // namespace brevanor
