#include "app/control/QtMainQueue.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "base/time/MonotonicClock.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

namespace {

constexpr std::uint64_t kNanosPerMilli = 1'000'000;

// Whole milliseconds not shorter than `nanos`, within what a Qt timer accepts.
int timerMillis(std::uint64_t nanos) {
    const std::uint64_t millis = nanos / kNanosPerMilli + (nanos % kNanosPerMilli != 0 ? 1 : 0);
    return static_cast<int>(std::min<std::uint64_t>(millis, std::numeric_limits<int>::max()));
}

}  // namespace

QtMainQueue::QtMainQueue() : context_(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(Task task) { QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection); }

void QtMainQueue::postAfter(std::uint64_t delayNanos, Task task) {
    if (delayNanos == 0) {
        post(std::move(task));
        return;
    }
    // Qt timers start on their own thread only, so the timer is started on the
    // main thread; the deadline is taken now, so the hop there does not add to the delay.
    const std::uint64_t deadline = saturatingAdd(MonotonicClock::now(), delayNanos);
    QObject* context = context_.get();
    post([context, deadline, task = std::move(task)]() mutable {
        const std::uint64_t remaining = saturatingSubtract(deadline, MonotonicClock::now());
        if (remaining == 0) {
            task();
            return;
        }
        QTimer::singleShot(timerMillis(remaining), Qt::PreciseTimer, context, std::move(task));
    });
}

}  // namespace brevanor
