#include "platform/fake/FakeHotKeyService.h"

namespace brevanor {

void FakeHotKeyService::setPressHandler(PressHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::int32_t FakeHotKeyService::registerHotKey(std::uint32_t id, HotkeyChord chord) {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (const auto found = refused_.find(chord); found != refused_.end()) return found->second;
    registered_[id] = chord;
    registeredIds_.push_back(id);
    return 0;
}

void FakeHotKeyService::unregisterHotKey(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    ++calls_;
    registered_.erase(id);
}

std::optional<HotkeyChord> FakeHotKeyService::chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                                              std::uint32_t nativeModifiers) const {
    if (nativeKeyCode < nativeKeyCodeOffset || nativeKeyCode - nativeKeyCodeOffset > 0xFFFF) return std::nullopt;
    return HotkeyChord{static_cast<std::uint16_t>(nativeKeyCode - nativeKeyCodeOffset), nativeModifiers};
}

void FakeHotKeyService::refuse(HotkeyChord chord, std::int32_t status) {
    std::lock_guard lock(mutex_);
    refused_[chord] = status;
}

void FakeHotKeyService::allow(HotkeyChord chord) {
    std::lock_guard lock(mutex_);
    refused_.erase(chord);
}

bool FakeHotKeyService::press(HotkeyChord chord, std::uint64_t timeNanos) {
    const std::optional<std::uint32_t> id = idOf(chord);
    if (!id) return false;
    pressId(*id, timeNanos);
    return true;
}

void FakeHotKeyService::pressId(std::uint32_t id, std::uint64_t timeNanos) {
    PressHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (handler) handler(id, timeNanos);
}

std::map<std::uint32_t, HotkeyChord> FakeHotKeyService::registered() const {
    std::lock_guard lock(mutex_);
    return registered_;
}

std::optional<std::uint32_t> FakeHotKeyService::idOf(HotkeyChord chord) const {
    std::lock_guard lock(mutex_);
    for (const auto& [id, registeredChord] : registered_) {
        if (registeredChord == chord) return id;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> FakeHotKeyService::registeredIds() const {
    std::lock_guard lock(mutex_);
    return registeredIds_;
}

int FakeHotKeyService::callCount() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

}  // namespace brevanor
