#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/model/RecordingEvent.h"

namespace brevanor {

// Which events of a list belong together: a key's press with its auto-repeats
// and its release, a button's press with its release, a modifier's press with
// its release. Pairs are found in list order (a release closes the latest open
// press of the same key or button), so they do not depend on the times. An
// edit removes a group whole, so that it never leaves a key or button held.
class EventPairing {
public:
    static constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

    // What a press holds down: a key, a mouse button, or a modifier key.
    struct Held {
        enum class Kind { key, button, modifier } kind;
        std::int64_t code;  // the key code, or the button (with its number for `other`)

        friend bool operator==(const Held&, const Held&) = default;
        friend auto operator<=>(const Held&, const Held&) = default;
    };

    // Reads `events`, which must outlive the pairing unchanged.
    explicit EventPairing(const std::vector<RecordingEvent>& events);

    // The first event of the group `index` belongs to (itself for events that pair with nothing).
    std::size_t leader(std::size_t index) const { return leader_[index]; }
    // Every event of the group of `index`, in list order.
    std::vector<std::size_t> group(std::size_t index) const;
    // Whether the event presses or releases something (and so has a group that may hold more).
    bool isPaired(std::size_t index) const { return next_[index] != none || leader_[index] != index; }

    // The presses that no release follows: what the list leaves held at its end (the stop
    // shortcut's leftovers in a recording), each group's first press.
    const std::vector<std::size_t>& heldAtEnd() const { return heldAtEnd_; }
    // The releases that no press comes before (keys already down when recording began).
    const std::vector<std::size_t>& releasesWithoutPress() const { return releasesWithoutPress_; }
    // What is held at the end, one entry per held key or button, sorted.
    std::vector<Held> heldKeysAtEnd() const;

    // What a press or release holds or lets go; nothing for other events.
    static bool holds(const RecordingEvent& event, Held& held, bool& isPress);

private:
    const std::vector<RecordingEvent>& events_;
    std::vector<std::size_t> leader_;
    std::vector<std::size_t> next_;
    std::vector<std::size_t> heldAtEnd_;
    std::vector<std::size_t> releasesWithoutPress_;
};

}  // namespace brevanor
