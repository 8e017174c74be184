#include "platform/wayland/DeviceHotKeyService.h"

#include "base/dispatch/MainQueue.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

// The core X modifier state bits, as XWayland reports them for the usual keymaps.
constexpr std::uint32_t kXShift = 1 << 0, kXLock = 1 << 1, kXControl = 1 << 2, kXMod1 = 1 << 3, kXMod4 = 1 << 6;

}  // namespace

struct DeviceHotKeyService::Shared {
    std::shared_ptr<MainQueue> mainQueue;
    std::mutex mutex;
    PressHandler handler;
    std::map<std::uint32_t, HotkeyChord> chords;
    std::uint32_t heldId = 0;  // the chord whose key is down, 0 for none
    bool isHeld = false;

    void consume(const TapEvent& event) {
        if (event.kind.type != TapEvent::Kind::Type::keyDown && event.kind.type != TapEvent::Kind::Type::keyUp) return;
        std::lock_guard lock(mutex);
        if (event.kind.type == TapEvent::Kind::Type::keyUp) {
            if (isHeld && chords.contains(heldId) && chords[heldId].keyCode == event.kind.keyCode) isHeld = false;
            return;
        }
        for (const auto& [id, chord] : chords) {
            if (!chord.matches(event.kind.keyCode, event.flags)) continue;
            // Auto-repeat of a held chord, and the kernel's repeats, call back once.
            if (event.kind.isRepeat || (isHeld && heldId == id)) return;
            heldId = id;
            isHeld = true;
            mainQueue->post([handler = handler, id = id, time = event.timestamp] {
                if (handler) handler(id, time);
            });
            return;
        }
    }
};

DeviceHotKeyService::DeviceHotKeyService(std::shared_ptr<InputSource> source, std::shared_ptr<MainQueue> mainQueue)
    : source_(std::move(source)), shared_(std::make_shared<Shared>()) {
    shared_->mainQueue = std::move(mainQueue);
}

DeviceHotKeyService::~DeviceHotKeyService() {
    if (listening_) source_->stop();
}

void DeviceHotKeyService::setPressHandler(PressHandler handler) {
    std::lock_guard lock(shared_->mutex);
    shared_->handler = std::move(handler);
}

std::int32_t DeviceHotKeyService::registerHotKey(std::uint32_t id, HotkeyChord chord) {
    {
        std::lock_guard lock(shared_->mutex);
        for (const auto& [otherId, other] : shared_->chords) {
            if (otherId != id && other.keyCode == chord.keyCode &&
                other.normalizedModifiers() == chord.normalizedModifiers()) {
                return kTaken;
            }
        }
    }
    if (!listening_) {
        listening_ = source_->start([shared = shared_](const TapEvent& event) { shared->consume(event); });
        if (!listening_) return kCannotListen;
    }
    std::lock_guard lock(shared_->mutex);
    shared_->chords[id] = chord;
    return 0;
}

void DeviceHotKeyService::unregisterHotKey(std::uint32_t id) {
    bool empty = false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->chords.erase(id);
        empty = shared_->chords.empty();
    }
    if (empty && listening_) {
        source_->stop();
        listening_ = false;
    }
}

std::optional<HotkeyChord> DeviceHotKeyService::chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                                                std::uint32_t nativeModifiers) const {
    if (nativeKeyCode < X11KeyCodeMap::kMinXKeyCode || nativeKeyCode > 255) return std::nullopt;
    std::uint64_t flags = 0;
    if (nativeModifiers & kXShift) flags |= HotkeyChord::shiftFlag;
    if (nativeModifiers & kXLock) flags |= ModifierKeys::alphaShiftMask;
    if (nativeModifiers & kXControl) flags |= HotkeyChord::controlFlag;
    if (nativeModifiers & kXMod1) flags |= HotkeyChord::optionFlag;
    if (nativeModifiers & kXMod4) flags |= HotkeyChord::commandFlag;
    return HotkeyChord{X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(nativeKeyCode)), flags};
}

}  // namespace brevanor
