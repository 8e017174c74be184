#include "core/playback/PlaybackTimeline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "core/model/SaturatingMath.h"

namespace brevanor::PlaybackTimeline {

namespace {

// One pass over the recording's events, emitting actions in order.
class Builder {
public:
    Builder(const Recording& recording, const PlaybackOptions& options, const CursorTransform& transform)
        : options_(options), transform_(transform), speed_(PlaybackOptions::clampSpeed(options.speed)) {
        const std::uint64_t end = recording.durationNanos();
        windowStart_ = std::min(recording.trim.leadingNanos, end);
        windowEnd_ = end - std::min(recording.trim.trailingNanos, end - windowStart_);
    }

    std::vector<ScheduledAction> build(const Recording& recording) {
        // The cursor starts where the recording's first pointer event was, even when the
        // trim cut that event off; this placement does not hold back later actions.
        if (auto first = recording.firstMousePosition()) emitMove(0, transform_.apply(*first));
        leadIn_ = leadIn(recording);
        actions_.reserve(mostActions(recording));
        for (const RecordingEvent& event : recording.events) {
            const std::uint64_t t = event.timestamp();
            if (t < windowStart_ || t > windowEnd_) continue;
            add(event);
        }
        return std::move(actions_);
    }

private:
    // At most one action per path point and two per press, one per other event, and the first move.
    // Reserved at once: pages of the reserve that are never written are never resident, while
    // growing step by step would hold the old and the new list at once.
    static std::size_t mostActions(const Recording& recording) {
        std::size_t most = 1;
        for (const RecordingEvent& event : recording.events) {
            switch (event.kind()) {
                case RecordingEvent::Kind::mousePath: most += event.path().points.size(); break;
                case RecordingEvent::Kind::mouseDown: most += 2; break;
                default: most += 1; break;
            }
        }
        return most;
    }

    // A press in the run's first settleNanos could only go down late against everything after
    // it, shortening the first gap the user recorded; the whole run starts that much later instead.
    std::uint64_t leadIn(const Recording& recording) const {
        for (const RecordingEvent& event : recording.events) {
            const std::uint64_t t = event.timestamp();
            if (event.kind() != RecordingEvent::Kind::mouseDown || t < windowStart_ || t > windowEnd_) continue;
            const std::uint64_t at = saturatingAdd(scaledOffset(t), options_.extraDelayBeforeClickNanos);
            return at < settleNanos ? settleNanos - at : 0;
        }
        return 0;
    }

    void add(const RecordingEvent& event) {
        switch (event.kind()) {
            case RecordingEvent::Kind::mouseDown: addMouseDown(event.mouseButton()); break;
            case RecordingEvent::Kind::mouseUp: addMouseUp(event.mouseButton()); break;
            case RecordingEvent::Kind::mousePath: addPath(event.path()); break;
            case RecordingEvent::Kind::scroll: addScroll(event.scrollEvent()); break;
            case RecordingEvent::Kind::keyDown:
                addKeyEvent(event.key().t, PlaybackAction::keyDown({event.key().keyCode, event.key().modifiers}));
                break;
            case RecordingEvent::Kind::keyUp:
                addKeyEvent(event.key().t, PlaybackAction::keyUp({event.key().keyCode, event.key().modifiers}));
                break;
            case RecordingEvent::Kind::flagsChanged: {
                const FlagsChangedEvent& f = event.flags();
                addKeyEvent(f.t, PlaybackAction::flagsChanged({f.keyCode, f.modifiers, f.isDown}));
                break;
            }
            case RecordingEvent::Kind::idleGap: break;  // pauses come from the event times alone
        }
    }

    // Time within the window, divided by the speed, plus the lead-in and the click delay so far.
    // Hand-edited documents can push this past the 64-bit range: it stops at the largest offset.
    std::uint64_t scaledOffset(std::uint64_t t) const {
        const double scaled = std::trunc(static_cast<double>(t - windowStart_) / speed_) +
                              static_cast<double>(leadIn_) + static_cast<double>(extra_);
        constexpr double kLimit = 18446744073709551616.0;  // 2^64
        return scaled >= kLimit ? std::numeric_limits<std::uint64_t>::max() : static_cast<std::uint64_t>(scaled);
    }

    std::uint64_t notBeforeLast(std::uint64_t t) const { return std::max(lastOffset_, scaledOffset(t)); }

    void addMouseDown(const MouseButtonEvent& e) {
        extra_ = saturatingAdd(extra_, options_.extraDelayBeforeClickNanos);
        const std::uint64_t at = notBeforeLast(e.t);
        const std::uint64_t moveAt = at < settleNanos ? lastOffset_ : std::max(lastOffset_, at - settleNanos);
        const std::uint64_t downAt = std::max(saturatingAdd(moveAt, settleNanos), at);
        const Point p = transform_.apply({e.x, e.y});
        emitMove(moveAt, p);
        emit(downAt, PlaybackAction::mouseDown({e.button, e.buttonNumber, p.x, p.y, e.clickCount, e.modifiers}));
        pressedAt_[e.buttonNumber] = downAt;
        lastOffset_ = downAt;
    }

    void addMouseUp(const MouseButtonEvent& e) {
        std::uint64_t at = notBeforeLast(e.t);
        if (auto pressed = pressedAt_.find(e.buttonNumber); pressed != pressedAt_.end()) {
            at = std::max(at, saturatingAdd(pressed->second, minInputGapNanos));
            pressedAt_.erase(pressed);
        }
        const Point p = transform_.apply({e.x, e.y});
        emit(at, PlaybackAction::mouseUp({e.button, e.buttonNumber, p.x, p.y, e.clickCount, e.modifiers}));
        lastOffset_ = at;
    }

    // Thins the path to at most one waypoint per minWaypointGapNanos of playback time,
    // keeping its first and last point.
    void addPath(const MousePathEvent& path) {
        std::optional<std::uint64_t> previous;
        for (std::size_t i = 0; i < path.points.size(); ++i) {
            const PathPoint& point = path.points[i];
            const std::uint64_t t = saturatingAdd(path.t, point.dt);
            if (t > windowEnd_) break;
            const std::uint64_t at = notBeforeLast(t);
            const bool endpoint = i == 0 || i + 1 == path.points.size();
            if (!endpoint && previous && at < saturatingAdd(*previous, minWaypointGapNanos)) continue;
            emitMove(at, transform_.apply({point.x, point.y}));
            previous = at;
            lastOffset_ = at;
        }
    }

    void addScroll(const ScrollEvent& e) {
        const std::uint64_t at = notBeforeLast(e.t);
        const Point p = transform_.apply({e.x, e.y});
        emit(at, PlaybackAction::scroll({p.x, p.y, e.scroll, e.modifiers}));
        lastOffset_ = at;
    }

    // Keys and modifiers stay minInputGapNanos apart so that applications see each one.
    void addKeyEvent(std::uint64_t t, PlaybackAction action) {
        std::uint64_t at = notBeforeLast(t);
        if (lastKeyOffset_) at = std::max(at, saturatingAdd(*lastKeyOffset_, minInputGapNanos));
        emit(at, std::move(action));
        lastOffset_ = at;
        lastKeyOffset_ = at;
    }

    void emitMove(std::uint64_t at, Point p) { emit(at, PlaybackAction::moveCursor(p.x, p.y)); }
    void emit(std::uint64_t at, PlaybackAction action) { actions_.push_back({at, std::move(action)}); }

    const PlaybackOptions& options_;
    const CursorTransform& transform_;
    const double speed_;
    std::uint64_t windowStart_ = 0;
    std::uint64_t windowEnd_ = 0;

    std::vector<ScheduledAction> actions_;
    std::uint64_t lastOffset_ = 0;
    std::uint64_t leadIn_ = 0;
    std::uint64_t extra_ = 0;  // extra click delay accumulated so far
    std::optional<std::uint64_t> lastKeyOffset_;
    std::map<std::int64_t, std::uint64_t> pressedAt_;  // button number -> offset of its last press
};

}  // namespace

std::vector<ScheduledAction> build(const Recording& recording, const PlaybackOptions& options,
                                   const CursorTransform& transform) {
    return Builder(recording, options, transform).build(recording);
}

std::uint64_t duration(const std::vector<ScheduledAction>& actions) {
    return actions.empty() ? 0 : actions.back().offsetNanos;
}

}  // namespace brevanor::PlaybackTimeline
