#pragma once

#include <QObject>
#include <memory>

#include "base/dispatch/MainQueue.h"

namespace brevanor {

// The main queue over the Qt event loop: tasks run on the thread that created
// the queue (the GUI thread), in posting order, once the event loop gets to them.
// Create it on the main thread and keep it until the event loop has ended.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(Task task) override;
    // The delay counts from this call, whatever thread makes it; the task runs on
    // a precise (millisecond) timer, never before the delay has passed.
    void postAfter(std::uint64_t delayNanos, Task task) override;

private:
    // Tasks are invoked in its context, so they run on its thread and are
    // dropped with it.
    std::unique_ptr<QObject> context_;
};

}  // namespace brevanor
