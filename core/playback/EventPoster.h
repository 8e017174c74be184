#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "base/platform/InputInjector.h"
#include "core/playback/PlaybackAction.h"

namespace brevanor {

// Turns playback actions into synthetic input events and hands them to the
// platform injector, which stamps them with the synthetic marker. Remembers what
// it left pressed, so that playback can end at any moment without a stuck button
// or key, and the last pointer position.
class EventPoster {
public:
    explicit EventPoster(std::shared_ptr<InputInjector> injector);
    EventPoster(const EventPoster&) = delete;
    EventPoster& operator=(const EventPoster&) = delete;

    // Posts the event of one action; an event the platform cannot create is skipped.
    // Called on the playback queue.
    void perform(const PlaybackAction& action);
    // Posts a release for every button, key and modifier key still pressed, and forgets them.
    // Called on the playback queue.
    void releaseAll();

private:
    // Enough of the bookkeeping before one action to restore it when its event is refused.
    struct Undo {
        std::optional<MouseButton> heldButton;  // the entry of the action's button number before
        bool keyWasHeld = false;
        std::optional<Point> lastPosition;
    };

    Undo recordLocked(const PlaybackAction& action, Point location);
    void undoLocked(const PlaybackAction& action, const Undo& undo);

    const std::shared_ptr<InputInjector> injector_;

    mutable std::mutex mutex_;
    std::map<std::int64_t, MouseButton> heldButtons_;  // button number -> button
    std::set<std::uint16_t> heldKeys_;
    std::set<std::uint16_t> heldModifierKeys_;
    std::optional<Point> lastPosition_;
};

}  // namespace brevanor
