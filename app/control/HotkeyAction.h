#pragma once

#include <optional>

#include "core/model/Uuid.h"

namespace brevanor {

// What a global shortcut asks for: record (start or stop), play the newest
// recording, play one recording, or stop whatever runs. Compared by case and payload.
class HotkeyAction {
public:
    enum class Kind { playRecording, record, playLast, stop };

    static HotkeyAction playRecording(Uuid id) { return HotkeyAction(Kind::playRecording, id); }
    static HotkeyAction record() { return HotkeyAction(Kind::record, std::nullopt); }
    static HotkeyAction playLast() { return HotkeyAction(Kind::playLast, std::nullopt); }
    static HotkeyAction stop() { return HotkeyAction(Kind::stop, std::nullopt); }

    Kind kind() const { return kind_; }
    // The recording to play; present exactly for playRecording.
    const std::optional<Uuid>& recordingId() const { return recordingId_; }

    friend bool operator==(const HotkeyAction&, const HotkeyAction&) = default;

private:
    HotkeyAction(Kind kind, std::optional<Uuid> recordingId) : kind_(kind), recordingId_(recordingId) {}

    Kind kind_;
    std::optional<Uuid> recordingId_;
};

}  // namespace brevanor
