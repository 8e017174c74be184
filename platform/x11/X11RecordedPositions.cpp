#include "platform/x11/X11RecordedPositions.h"

#include <algorithm>

namespace brevanor {

namespace {

// Server times are 32-bit milliseconds that wrap: compare them by their difference.
std::int32_t millisBetween(unsigned long from, unsigned long to) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) - static_cast<std::uint32_t>(from));
}

}  // namespace

void X11RecordedPositions::add(const Recorded& recorded) {
    if (recorded_.size() >= kCapacity) recorded_.pop_front();
    recorded_.push_back(recorded);
}

X11RecordedPositions::Lookup X11RecordedPositions::find(int coreType, unsigned int keyCode, unsigned long serverMillis,
                                                        std::optional<Point> absolute) {
    // Recorded before the raw event: an event with no raw event of its own.
    while (!recorded_.empty() && millisBetween(recorded_.front().serverMillis, serverMillis) > 0) {
        recorded_.pop_front();
    }
    // Within the same millisecond the recorded events of other kinds may belong
    // to raw events still to come: take the first of this kind and leave those.
    const auto sameKind = [&](const Recorded& recorded) {
        return recorded.serverMillis == serverMillis && recorded.coreType == coreType && recorded.detail == keyCode;
    };
    auto match = std::find_if(recorded_.begin(), recorded_.end(), [&](const Recorded& recorded) {
        return sameKind(recorded) && (!absolute || recorded.location == *absolute);
    });
    if (match == recorded_.end()) match = std::find_if(recorded_.begin(), recorded_.end(), sameKind);
    if (match != recorded_.end()) {
        const Point location = match->location;
        // The server records events in the order it handles them, as it sends
        // their raw events: those recorded before this one have no raw event to come.
        recorded_.erase(recorded_.begin(), match + 1);
        return {Answer::found, location};
    }
    // The server has recorded later events already: this one's was left out.
    const bool passed = std::any_of(recorded_.begin(), recorded_.end(), [&](const Recorded& recorded) {
        return millisBetween(serverMillis, recorded.serverMillis) > 0;
    });
    return {passed ? Answer::lost : Answer::notYet, {}};
}

}  // namespace brevanor
