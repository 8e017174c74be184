#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "base/platform/HotKeyService.h"
#include "base/platform/InputSource.h"

namespace brevanor {

class MainQueue;

// Shortcuts on Wayland, which has no protocol for global key combinations:
// watched passively on a listener of the kernel's input devices of its own,
// from the first registration to the last. Nothing is grabbed, so the keys
// of a shortcut also reach the focused window. Holding a chord calls back
// once, not for every auto-repeat; the handler runs on the main queue.
class DeviceHotKeyService final : public HotKeyService {
public:
    // The combination is registered already under another id.
    static constexpr std::int32_t kTaken = 10;
    // The input devices cannot be read, so no shortcut can be seen.
    static constexpr std::int32_t kCannotListen = -3;

    DeviceHotKeyService(std::shared_ptr<InputSource> source, std::shared_ptr<MainQueue> mainQueue);
    ~DeviceHotKeyService() override;
    DeviceHotKeyService(const DeviceHotKeyService&) = delete;
    DeviceHotKeyService& operator=(const DeviceHotKeyService&) = delete;

    void setPressHandler(PressHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t id, HotkeyChord chord) override;
    void unregisterHotKey(std::uint32_t id) override;
    // The application's windows run on XWayland: an X key code (the kernel's
    // plus 8) and the X modifier state.
    std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                               std::uint32_t nativeModifiers) const override;

private:
    struct Shared;  // what the listener's thread reads; outlives this object while a delivery runs

    std::shared_ptr<InputSource> source_;
    std::shared_ptr<Shared> shared_;
    bool listening_ = false;  // main thread only
};

}  // namespace brevanor
