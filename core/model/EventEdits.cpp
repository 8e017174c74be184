#include "core/model/EventEdits.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/model/EventEditError.h"
#include "core/model/EventPairing.h"
#include "core/model/SaturatingMath.h"
#include "core/model/TrimEngine.h"

namespace brevanor {

namespace {

using Kind = RecordingEvent::Kind;
using Events = std::vector<RecordingEvent>;

void requireIndex(const Events& events, std::size_t index) {
    if (index >= events.size()) throw EventEditError::indexOutOfRange(index, events.size());
}

void requireRange(const Events& events, std::size_t first, std::size_t last) {
    requireIndex(events, first);
    requireIndex(events, last);
    if (first > last) {
        throw EventEditError(
            EventEditError::Case::rangeReversed, first, events.size(),
            "the range " + std::to_string(first) + "-" + std::to_string(last) + " ends before it begins");
    }
}

// The first change of a recording keeps what was recorded.
void beginEdit(Recording& recording) {
    if (!recording.recordedEvents) recording.recordedEvents = recording.events;
}

void finishEdit(Recording& recording) { recording.trim = TrimEngine::clamped(recording.trim, recording.events); }

// The event with its own time `t` and, for paths and idle gaps, its later times mapped by `map`
// (absolute times in, absolute times out; never decreasing).
template <typename Map>
RecordingEvent retimed(const RecordingEvent& event, Map&& map) {
    const std::uint64_t t = map(event.timestamp());
    switch (event.kind()) {
        case Kind::mouseDown:
        case Kind::mouseUp: {
            MouseButtonEvent payload = event.mouseButton();
            payload.t = t;
            return event.kind() == Kind::mouseDown ? RecordingEvent::mouseDown(payload)
                                                   : RecordingEvent::mouseUp(payload);
        }
        case Kind::mousePath: {
            MousePathEvent payload = event.path();
            for (PathPoint& point : payload.points) {
                point.dt = saturatingSubtract(map(saturatingAdd(event.timestamp(), point.dt)), t);
            }
            payload.t = t;
            return RecordingEvent::mousePath(std::move(payload));
        }
        case Kind::scroll: {
            ScrollEvent payload = event.scrollEvent();
            payload.t = t;
            return RecordingEvent::scroll(payload);
        }
        case Kind::keyDown:
        case Kind::keyUp: {
            KeyEvent payload = event.key();
            payload.t = t;
            return event.kind() == Kind::keyDown ? RecordingEvent::keyDown(payload) : RecordingEvent::keyUp(payload);
        }
        case Kind::flagsChanged: {
            FlagsChangedEvent payload = event.flags();
            payload.t = t;
            return RecordingEvent::flagsChanged(payload);
        }
        case Kind::idleGap: {
            IdleGapEvent payload = event.idle();
            payload.durationNanos = saturatingSubtract(map(payload.endTimestamp()), t);
            payload.t = t;
            return RecordingEvent::idleGap(payload);
        }
    }
    return event;
}

// Moves every event from `from` on by `later` nanoseconds later, or `earlier` earlier (one of them 0).
void shift(Events& events, std::size_t from, std::uint64_t later, std::uint64_t earlier) {
    if (later == 0 && earlier == 0) return;
    const auto map = [&](std::uint64_t x) { return saturatingSubtract(saturatingAdd(x, later), earlier); };
    for (std::size_t i = from; i < events.size(); ++i) events[i] = retimed(events[i], map);
}

constexpr std::size_t none = EventPairing::none;

// The last event before `index` that is not an idle gap.
std::size_t previousActive(const Events& events, std::size_t index) {
    for (std::size_t i = index; i-- > 0;) {
        if (!events[i].isIdleGap()) return i;
    }
    return none;
}

// The first event from `index` on that is not an idle gap, or the size of the list.
std::size_t nextActive(const Events& events, std::size_t index) {
    while (index < events.size() && events[index].isIdleGap()) ++index;
    return index;
}

// The time of the event at `target`, or the end of the list when `target` is its size.
std::uint64_t timeOf(const Events& events, std::size_t target) {
    if (target < events.size()) return events[target].timestamp();
    return events.empty() ? 0 : events.back().endTimestamp();
}

// Where the pause before `target` begins: the end of the previous active event, 0 without one.
std::uint64_t pauseStart(const Events& events, std::size_t target) {
    const std::size_t previous = previousActive(events, target);
    return previous == none ? 0 : events[previous].endTimestamp();
}

std::uint64_t quietBefore(const Events& events, std::size_t target) {
    return saturatingSubtract(timeOf(events, target), pauseStart(events, target));
}

// Makes the pause before the active event `target` (or before the end) last `nanos`: the idle gaps
// in it become one (when it is long enough to be one) and the events from `target` on move. Answers
// where `target` is afterwards.
std::size_t setPause(Events& events, std::size_t target, std::uint64_t nanos) {
    const std::uint64_t old = quietBefore(events, target);
    const std::uint64_t targetTime = timeOf(events, target);
    const std::size_t previous = previousActive(events, target);
    const std::size_t firstIdle = previous == none ? 0 : previous + 1;
    const bool atEnd = target == events.size();
    events.erase(events.begin() + static_cast<std::ptrdiff_t>(firstIdle),
                 events.begin() + static_cast<std::ptrdiff_t>(target));
    target = firstIdle;
    shift(events, target, nanos > old ? nanos - old : 0, old > nanos ? old - nanos : 0);
    // The pause begins where it did (or at the event, when the two overlapped).
    const std::uint64_t idleStart = targetTime - old;
    if (atEnd ? nanos > 0 : nanos >= EventEdits::idleGapThresholdNanos) {
        events.insert(events.begin() + static_cast<std::ptrdiff_t>(target),
                      RecordingEvent::idleGap({idleStart, nanos}));
        ++target;
    }
    return target;
}

RecordingEvent movedBy(const RecordingEvent& event, double dx, double dy) {
    switch (event.kind()) {
        case Kind::mouseDown:
        case Kind::mouseUp: {
            MouseButtonEvent payload = event.mouseButton();
            payload.x += dx;
            payload.y += dy;
            return event.kind() == Kind::mouseDown ? RecordingEvent::mouseDown(payload)
                                                   : RecordingEvent::mouseUp(payload);
        }
        case Kind::mousePath: {
            MousePathEvent payload = event.path();
            for (PathPoint& point : payload.points) {
                point.x += dx;
                point.y += dy;
            }
            return RecordingEvent::mousePath(std::move(payload));
        }
        default: return event;
    }
}

// What an event is, in words for messages.
std::string described(Kind kind) {
    switch (kind) {
        case Kind::mouseDown: return "a mouse button press";
        case Kind::mouseUp: return "a mouse button release";
        case Kind::mousePath: return "a mouse path";
        case Kind::scroll: return "a scroll";
        case Kind::keyDown: return "a key press";
        case Kind::keyUp: return "a key release";
        case Kind::flagsChanged: return "a modifier key";
        case Kind::idleGap: return "a pause";
    }
    return "an event";
}

void requireValue(bool valid, std::size_t index, std::size_t count, const std::string& message) {
    if (!valid) throw EventEditError(EventEditError::Case::valueOutOfRange, index, count, message);
}

}  // namespace

std::uint64_t EventEdits::gapBefore(const Events& events, std::size_t index) {
    requireIndex(events, index);
    return quietBefore(events, events[index].isIdleGap() ? nextActive(events, index) : index);
}

std::vector<std::size_t> EventEdits::withPartners(const Events& events, std::vector<std::size_t> indices) {
    for (const std::size_t index : indices) requireIndex(events, index);
    const EventPairing pairing(events);
    std::vector<std::size_t> all;
    for (const std::size_t index : indices) {
        if (!pairing.isPaired(index)) {
            all.push_back(index);
            continue;
        }
        const std::vector<std::size_t> group = pairing.group(index);
        all.insert(all.end(), group.begin(), group.end());
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

std::size_t EventEdits::deleteEvents(Recording& recording, const std::vector<std::size_t>& indices) {
    const std::vector<std::size_t> doomed = withPartners(recording.events, indices);
    if (doomed.empty()) return 0;
    beginEdit(recording);
    Events kept;
    kept.reserve(recording.events.size() - doomed.size());
    auto next = doomed.begin();
    for (std::size_t i = 0; i < recording.events.size(); ++i) {
        if (next != doomed.end() && *next == i) {
            ++next;
            continue;
        }
        kept.push_back(std::move(recording.events[i]));
    }
    recording.events = std::move(kept);
    finishEdit(recording);
    return doomed.size();
}

std::size_t EventEdits::deleteRange(Recording& recording, std::size_t first, std::size_t last) {
    requireRange(recording.events, first, last);
    std::vector<std::size_t> indices(last - first + 1);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = first + i;
    return deleteEvents(recording, indices);
}

std::size_t EventEdits::cutRange(Recording& recording, std::size_t first, std::size_t last) {
    requireRange(recording.events, first, last);
    Events& events = recording.events;
    // The time the range took: from its first event to the event after it.
    const std::uint64_t begin = events[first].timestamp();
    const std::uint64_t taken = last + 1 < events.size() ? events[last + 1].timestamp() - begin : 0;
    // The events after the range move first; deleting then leaves every other event where it is.
    beginEdit(recording);
    shift(events, last + 1, 0, taken);
    return deleteRange(recording, first, last);
}

void EventEdits::setGap(Recording& recording, std::size_t index, std::uint64_t nanos) {
    requireIndex(recording.events, index);
    beginEdit(recording);
    Events& events = recording.events;
    setPause(events, events[index].isIdleGap() ? nextActive(events, index) : index, nanos);
    finishEdit(recording);
}

void EventEdits::speedRange(Recording& recording, std::size_t first, std::size_t last, double factor) {
    requireRange(recording.events, first, last);
    requireValue(std::isfinite(factor) && factor >= 0.01 && factor <= 100, first, recording.events.size(),
                 "the speed factor must be from 0.01 to 100");
    beginEdit(recording);
    Events& events = recording.events;
    const std::uint64_t begin = events[first].timestamp();
    std::uint64_t end = last + 1 < events.size() ? events[last + 1].timestamp() : 0;
    if (last + 1 == events.size()) {
        for (std::size_t i = first; i <= last; ++i) end = std::max(end, events[i].endTimestamp());
    }
    const auto scaled = [&](std::uint64_t x) {
        return begin + static_cast<std::uint64_t>(std::llround(static_cast<double>(x - begin) / factor));
    };
    const std::uint64_t newEnd = scaled(end);
    const auto map = [&](std::uint64_t x) {
        if (x <= end) return scaled(x);
        return saturatingSubtract(saturatingAdd(x, newEnd), end);
    };
    for (std::size_t i = first; i < events.size(); ++i) events[i] = retimed(events[i], map);
    finishEdit(recording);
}

void EventEdits::capPauses(Recording& recording, std::size_t first, std::size_t last, std::uint64_t maxNanos) {
    requireRange(recording.events, first, last);
    beginEdit(recording);
    Events& events = recording.events;
    const std::size_t after = events.size() - 1 - last;  // events after the range, which the edit leaves be
    for (std::size_t k = first + 1; k + after < events.size();) {
        if (!events[k].isIdleGap() && quietBefore(events, k) > maxNanos) {
            k = setPause(events, k, maxNanos) + 1;
        } else {
            ++k;
        }
    }
    finishEdit(recording);
}

void EventEdits::moveClick(Recording& recording, std::size_t index, double x, double y) {
    Events& events = recording.events;
    requireIndex(events, index);
    const Kind kind = events[index].kind();
    if (kind != Kind::mouseDown && kind != Kind::mouseUp) {
        throw EventEditError(
            EventEditError::Case::notAClick, index, events.size(),
            "event " + std::to_string(index) + " is " + described(kind) + ", not a mouse button press or release");
    }
    requireValue(std::isfinite(x) && std::isfinite(y), index, events.size(), "a position needs finite numbers");
    const double dx = x - events[index].mouseButton().x;
    const double dy = y - events[index].mouseButton().y;
    const std::vector<std::size_t> group = EventPairing(events).group(index);
    beginEdit(recording);
    // The press, the release and a drag's path between them move together.
    for (std::size_t i = group.front(); i <= group.back(); ++i) {
        const bool member = std::binary_search(group.begin(), group.end(), i);
        if (member || events[i].kind() == Kind::mousePath) events[i] = movedBy(events[i], dx, dy);
    }
    finishEdit(recording);
}

void EventEdits::insertWaitAfter(Recording& recording, std::size_t index, std::uint64_t nanos) {
    Events& events = recording.events;
    requireIndex(events, index);
    if (nanos == 0) return;
    beginEdit(recording);
    const std::size_t target = nextActive(events, index + 1);
    setPause(events, target, saturatingAdd(quietBefore(events, target), nanos));
    finishEdit(recording);
}

void EventEdits::straightenPaths(Recording& recording, std::size_t first, std::size_t last) {
    Events& events = recording.events;
    requireRange(events, first, last);
    const auto straightenable = [&](std::size_t i) {
        return events[i].kind() == Kind::mousePath && events[i].path().points.size() > 2;
    };
    bool any = false;
    for (std::size_t i = first; i <= last; ++i) any = any || straightenable(i);
    if (!any) return;
    beginEdit(recording);
    for (std::size_t i = first; i <= last; ++i) {
        if (!straightenable(i)) continue;
        MousePathEvent path = events[i].path();
        const PathPoint from = path.points.front();
        const PathPoint to = path.points.back();
        const double span = static_cast<double>(to.dt - from.dt);
        for (std::size_t p = 0; p < path.points.size(); ++p) {
            const double share = span > 0 ? static_cast<double>(path.points[p].dt - from.dt) / span
                                          : static_cast<double>(p) / static_cast<double>(path.points.size() - 1);
            path.points[p].x = from.x + share * (to.x - from.x);
            path.points[p].y = from.y + share * (to.y - from.y);
        }
        events[i] = RecordingEvent::mousePath(std::move(path));
    }
    finishEdit(recording);
}

void EventEdits::revert(Recording& recording) {
    if (!recording.recordedEvents) return;
    recording.events = std::move(*recording.recordedEvents);
    recording.recordedEvents.reset();
    finishEdit(recording);
}

Events EventEdits::excerpt(const Events& events, std::size_t first, std::size_t last) {
    requireRange(events, first, last);
    const std::uint64_t begin = events[first].timestamp();
    Events part;
    // The modifiers down at `first`, pressed again at the start.
    std::map<std::uint16_t, FlagsChangedEvent> modifiersDown;
    for (std::size_t i = 0; i < first; ++i) {
        if (events[i].kind() != Kind::flagsChanged) continue;
        const FlagsChangedEvent& change = events[i].flags();
        if (change.isDown) {
            modifiersDown[change.keyCode] = change;
        } else {
            modifiersDown.erase(change.keyCode);
        }
    }
    for (auto [keyCode, change] : modifiersDown) {
        change.t = 0;
        part.push_back(RecordingEvent::flagsChanged(change));
    }
    const auto map = [begin](std::uint64_t x) { return x - begin; };
    for (std::size_t i = first; i <= last; ++i) part.push_back(retimed(events[i], map));
    // Releases of what was pressed before the part would find nothing held.
    {
        const EventPairing pairing(part);
        const std::vector<std::size_t>& orphans = pairing.releasesWithoutPress();
        Events kept;
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (!std::binary_search(orphans.begin(), orphans.end(), i)) kept.push_back(part[i]);
        }
        part = std::move(kept);
    }
    // What the part leaves held goes up at its end, the last pressed first.
    const std::uint64_t end = part.empty() ? 0 : part.back().endTimestamp();
    const std::vector<std::size_t> held = EventPairing(part).heldAtEnd();
    for (auto it = held.rbegin(); it != held.rend(); ++it) {
        const RecordingEvent& press = part[*it];
        switch (press.kind()) {
            case Kind::keyDown: part.push_back(RecordingEvent::keyUp({end, press.key().keyCode, 0, false})); break;
            case Kind::mouseDown: {
                MouseButtonEvent up = press.mouseButton();
                up.t = end;
                part.push_back(RecordingEvent::mouseUp(up));
                break;
            }
            case Kind::flagsChanged: {
                FlagsChangedEvent up = press.flags();
                up.t = end;
                up.isDown = false;
                up.modifiers = 0;
                part.push_back(RecordingEvent::flagsChanged(up));
                break;
            }
            default: break;
        }
    }
    return part;
}

void EventEdits::check(const Events& recorded, const Events& edited) {
    for (std::size_t i = 0; i < edited.size(); ++i) {
        bool inOrder = i == 0 || edited[i].timestamp() >= edited[i - 1].timestamp();
        if (edited[i].kind() == Kind::mousePath) {
            const std::vector<PathPoint>& points = edited[i].path().points;
            for (std::size_t p = 1; p < points.size(); ++p) inOrder = inOrder && points[p].dt >= points[p - 1].dt;
        }
        if (!inOrder) {
            throw EventEditError(EventEditError::Case::outOfTimeOrder, i, edited.size(),
                                 "event " + std::to_string(i) + " would come before the events ahead of it");
        }
    }
    // What the recorded events left held may stay held (the user decides); nothing more may.
    std::map<EventPairing::Held, int> allowed;
    for (const EventPairing::Held& held : EventPairing(recorded).heldKeysAtEnd()) ++allowed[held];
    const EventPairing pairing(edited);
    for (const std::size_t index : pairing.heldAtEnd()) {
        EventPairing::Held held{};
        bool isPress = false;
        EventPairing::holds(edited[index], held, isPress);
        if (allowed[held]-- > 0) continue;
        throw EventEditError(
            EventEditError::Case::leavesHeld, index, edited.size(),
            "the edit would leave the key or button of event " + std::to_string(index) + " held to the end");
    }
}

}  // namespace brevanor
