#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "base/platform/InputSource.h"
#include "core/capture/InputEventConsumer.h"
#include "core/dispatch/SerialQueue.h"

namespace brevanor {

// The process-wide input listener: runs the platform's InputSource and hands
// every event, on the serial queue "com.brevanor.input-tap.delivery", to each
// registered consumer in registration order. Consumers are held weakly, so one
// that goes away simply stops receiving; the list is independent of whether the
// listener runs.
class InputEventTap {
public:
    // A listener on `source`; without a source every start fails.
    explicit InputEventTap(std::shared_ptr<InputSource> source);
    // Stops the source; deliveries still queued are discarded.
    ~InputEventTap();
    InputEventTap(const InputEventTap&) = delete;
    InputEventTap& operator=(const InputEventTap&) = delete;

    bool isRunning() const { return running_.load(); }
    // Starts the source and blocks until it runs. Does nothing when running.
    // Throws InputEventTapError::creationFailed when the source could not start.
    void start();
    // Stops the source; no event is queued once this returns. Events already
    // queued are still delivered. Harmless when stopped.
    void stop();

    // Asks the source to find screen positions it does not see by itself (see InputSource).
    void trackScreenPositions(bool on) {
        if (source_) source_->trackScreenPositions(on);
    }

    // Registers `consumer` at the end of the list; registering it again moves it
    // there, so it still receives each event once. Callable from any thread,
    // also from inside consume().
    void addConsumer(const std::shared_ptr<InputEventConsumer>& consumer);
    // Unregisters `consumer`; events already handed out for delivery may still reach it.
    void removeConsumer(const InputEventConsumer& consumer);

private:
    void deliver(const TapEvent& event);

    const std::shared_ptr<InputSource> source_;
    std::mutex lifecycleMutex_;  // serialises start and stop; never taken by delivery
    std::atomic<bool> running_{false};
    std::mutex consumersMutex_;
    std::vector<std::weak_ptr<InputEventConsumer>> consumers_;  // guarded by consumersMutex_
    // Last, so that it is destroyed first: its thread is joined while the rest is intact.
    SerialQueue deliveryQueue_{"com.brevanor.input-tap.delivery", SerialQueue::Priority::userInteractive};
};

}  // namespace brevanor
