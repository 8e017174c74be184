#pragma once

#include <cstdint>
#include <functional>

#include "core/model/HotkeyChord.h"

namespace brevanor {

// System-wide key combinations. Main thread only.
class HotKeyService {
public:
    using PressHandler = std::function<void(std::uint32_t id)>;
    virtual ~HotKeyService() = default;

    // Called with the id of each registered combination that is pressed, on the main queue.
    virtual void setPressHandler(PressHandler handler) = 0;
    // Registers the chord under `id`. Returns 0 on success, else the platform's
    // status code (e.g. the combination is held by another program).
    virtual std::int32_t registerHotKey(std::uint32_t id, HotkeyChord chord) = 0;
    virtual void unregisterHotKey(std::uint32_t id) = 0;
};

}  // namespace brevanor
