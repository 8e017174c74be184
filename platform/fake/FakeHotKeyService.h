#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/platform/HotKeyService.h"
#include "base/time/MonotonicClock.h"

namespace brevanor {

// A hot-key service driven by tests: it keeps what is registered, refuses the
// chords the test names, and press() plays a press of a registered chord.
class FakeHotKeyService final : public HotKeyService {
public:
    // The status a refused registration answers unless the test names another
    // (the classic hot-key service's "already taken").
    static constexpr std::int32_t takenStatus = -9878;

    void setPressHandler(PressHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t id, HotkeyChord chord) override;
    void unregisterHotKey(std::uint32_t id) override;
    // Native key codes here are the neutral code plus nativeKeyCodeOffset (so
    // 0, a key event without one, has none), native modifiers the neutral flags.
    std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                               std::uint32_t nativeModifiers) const override;
    static constexpr std::uint32_t nativeKeyCodeOffset = 8;

    // Every later registration of `chord` fails with `status`, as when another program holds it.
    void refuse(HotkeyChord chord, std::int32_t status = takenStatus);
    void allow(HotkeyChord chord);
    // Calls the press handler, on the calling thread, with the id `chord` is
    // registered under; false when it is not registered.
    bool press(HotkeyChord chord, std::uint64_t timeNanos = MonotonicClock::now());
    // Calls the press handler with any id, registered or not.
    void pressId(std::uint32_t id, std::uint64_t timeNanos = MonotonicClock::now());

    // What is registered now, by id.
    std::map<std::uint32_t, HotkeyChord> registered() const;
    std::optional<std::uint32_t> idOf(HotkeyChord chord) const;
    // Every successful registration's id, in order.
    std::vector<std::uint32_t> registeredIds() const;
    // Register and unregister calls so far, successful or not.
    int callCount() const;

private:
    mutable std::mutex mutex_;
    PressHandler handler_;
    std::map<std::uint32_t, HotkeyChord> registered_;
    std::unordered_map<HotkeyChord, std::int32_t> refused_;
    std::vector<std::uint32_t> registeredIds_;
    int calls_ = 0;
};

}  // namespace brevanor
