#include "app/control/HotkeyManager.h"

#include <algorithm>

#include "core/capture/InputEventTap.h"

namespace brevanor {

std::shared_ptr<HotkeyManager> HotkeyManager::make(std::shared_ptr<HotKeyService> service,
                                                   std::shared_ptr<InputEventTap> tap,
                                                   std::shared_ptr<MainQueue> mainQueue, std::uint64_t escHoldNanos) {
    std::shared_ptr<HotkeyManager> manager(new HotkeyManager(std::move(service), std::move(tap), std::move(mainQueue)));
    std::weak_ptr<HotkeyManager> weak = manager;
    manager->service_->setPressHandler([weak](std::uint32_t id, std::uint64_t pressTimeNanos) {
        if (auto self = weak.lock()) self->handleHotKey(id, pressTimeNanos);
    });
    // The listener adds the stop shortcut seen while another program grabs the keyboard, and Esc held.
    manager->watch_ = ShortcutWatch::make(
        manager->mainQueue_,
        [weak](const ShortcutWatch::Press& press) {
            if (auto self = weak.lock()) self->watched(press);
        },
        escHoldNanos);
    manager->watch_->setEscHoldEnabled(false);
    if (manager->tap_) manager->tap_->addConsumer(manager);
    return manager;
}

HotkeyManager::HotkeyManager(std::shared_ptr<HotKeyService> service, std::shared_ptr<InputEventTap> tap,
                             std::shared_ptr<MainQueue> mainQueue)
    : service_(std::move(service)), tap_(std::move(tap)), mainQueue_(std::move(mainQueue)) {}

HotkeyManager::~HotkeyManager() {
    {
        std::lock_guard lock(mutex_);
        unregisterAllLocked();
    }
    service_->setPressHandler({});
    if (tap_) tap_->removeConsumer(*this);
}

std::vector<HotkeyManager::RegistrationFailure> HotkeyManager::update(std::vector<HotkeyBinding> bindings) {
    std::lock_guard lock(mutex_);
    if (bindings == bindings_ && (suspended_ || registered_.size() == bindings_.size())) return {};
    bindings_ = std::move(bindings);
    const auto stop = std::find_if(bindings_.begin(), bindings_.end(), [](const HotkeyBinding& binding) {
        return binding.action.kind() == Action::Kind::stop;
    });
    watch_->watch(std::nullopt, stop == bindings_.end() ? std::nullopt : std::optional(stop->chord));
    unregisterAllLocked();
    if (suspended_) return {};
    return registerAllLocked();
}

void HotkeyManager::setSuspended(bool suspended) {
    std::lock_guard lock(mutex_);
    if (suspended == suspended_) return;
    suspended_ = suspended;
    if (suspended) {
        unregisterAllLocked();
    } else {
        registerAllLocked();
    }
}

void HotkeyManager::setEscHoldEnabled(bool enabled) { watch_->setEscHoldEnabled(enabled); }

std::vector<HotkeyManager::RegistrationFailure> HotkeyManager::registerAllLocked() {
    std::vector<RegistrationFailure> failures;
    for (const HotkeyBinding& binding : bindings_) {
        const std::int32_t status = service_->registerHotKey(nextID_, binding.chord);
        if (status == 0) {
            registered_.emplace(nextID_, binding);
            ++nextID_;
        } else {
            failures.push_back({binding, status});
        }
    }
    return failures;
}

void HotkeyManager::unregisterAllLocked() {
    for (const auto& [id, binding] : registered_) service_->unregisterHotKey(id);
    registered_.clear();
}

void HotkeyManager::handleHotKey(std::uint32_t id, std::uint64_t pressTimeNanos) {
    std::optional<HotkeyBinding> binding;
    {
        std::lock_guard lock(mutex_);
        if (suspended_) return;
        const auto found = registered_.find(id);
        if (found == registered_.end()) return;
        binding = found->second;
    }
    if (shouldIgnoreTrigger_ && shouldIgnoreTrigger_(binding->chord.keyCode)) return;
    dispatch(binding->action, pressTimeNanos, binding->chord.keyCode);
}

void HotkeyManager::dispatch(const Action& action, std::uint64_t timeNanos, std::uint16_t keyCode) {
    // Always through the queue, even on the main thread: the coordinator never
    // runs inside the caller of a hot-key handler or a listener delivery.
    mainQueue_->post([weak = weak_from_this(), action, timeNanos, keyCode] {
        auto self = weak.lock();
        if (self && self->onAction_) self->onAction_(action, timeNanos, keyCode);
    });
}

void HotkeyManager::consume(const TapEvent& event) { watch_->consume(event); }

void HotkeyManager::watched(const ShortcutWatch::Press& press) {
    {
        std::lock_guard lock(mutex_);
        if (suspended_) return;
    }
    // Already on the main queue, as every action reaches the handler.
    if (onAction_) onAction_(Action::stop(), press.timeNanos, press.keyCode);
}

}  // namespace brevanor
