#include "core/dispatch/SerialQueue.h"

#include <pthread.h>
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <limits>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/RealtimeRest.h"
#include "core/dispatch/SerialQueueState.h"
#include "core/dispatch/SpinWindow.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

namespace {

// Timers with at most this leeway wake early and spin to the deadline: a plain
// sleep on a busy machine overshoots by tens of microseconds to milliseconds.
constexpr std::uint64_t kPreciseLeewayNanos = 1'000'000;

// Deadlines can lie beyond what a sleep can express (an action at the end of the
// 64-bit range never falls due); the loop then wakes once a day and looks again.
constexpr std::uint64_t kLongestSleepNanos = 86'400'000'000'000;

std::chrono::steady_clock::time_point toSteady(std::uint64_t monotonicNanos) {
    // steady_clock is CLOCK_MONOTONIC on Linux, the clock of MonotonicClock. A
    // deadline past its range (a timer for "never") waits as long as it can
    // instead of wrapping into the past.
    constexpr auto kLatest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(std::min(monotonicNanos, kLatest)));
}

struct DueTimer {
    std::shared_ptr<SerialQueueTimer::Impl> timer;
    std::uint64_t deadline = 0;
};

// The armed timer with the earliest deadline; drops timers that no longer exist.
DueTimer earliestTimer(SerialQueue::State& state) {
    DueTimer due;
    std::erase_if(state.timers, [](const std::weak_ptr<SerialQueueTimer::Impl>& weak) { return weak.expired(); });
    for (const auto& weak : state.timers) {
        auto timer = weak.lock();
        if (timer && timer->armed && (!due.timer || timer->deadline < due.deadline)) {
            due.timer = timer;
            due.deadline = timer->deadline;
        }
    }
    return due;
}

// Tells the processor that this is a spin, which spares its sibling thread and power.
void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield");
#endif
}

// Work runs with the lock released, and its closures are destroyed before the
// lock is taken again: a closure may hold the last reference to an object whose
// destructor submits to this queue, cancels one of its timers or destroys it.
void runLoop(const std::shared_ptr<SerialQueue::State>& state, const ThreadPriority& priority) {
    SpinWindow spinWindow;
    RealtimeRest rest(priority.longestRunNanos, MonotonicClock::now());
    std::unique_lock lock(state->mutex);
    // After a timer fired, a waiting task goes first, so that neither a busy
    // timer nor a flood of tasks holds the other back.
    bool timerFiredLast = false;
    while (!state->stopping) {
        if (rest.isDue(MonotonicClock::now())) {
            lock.unlock();
            rest.rest();
            lock.lock();
            continue;  // something may have changed meanwhile
        }
        DueTimer due = earliestTimer(*state);
        const std::uint64_t now = due.timer ? MonotonicClock::now() : 0;
        const bool timerDue = due.timer && due.deadline <= now;
        if (!state->tasks.empty() && (!timerDue || timerFiredLast)) {
            due = {};
            Task task = std::move(state->tasks.front());
            state->tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;
            timerFiredLast = false;
            lock.lock();
            continue;
        }
        if (!due.timer) {
            state->wake.wait(lock);
            rest.noteSlept(MonotonicClock::now());
            continue;
        }
        if (!timerDue) {
            const bool precise = due.timer->leeway <= kPreciseLeewayNanos;
            const std::uint64_t deadline = due.deadline;
            due = {};
            const std::uint64_t window = precise ? std::min(spinWindow.nanos(), deadline) : 0;
            if (now < deadline - window) {
                const std::uint64_t wakeAt = std::min(deadline - window, saturatingAdd(now, kLongestSleepNanos));
                const bool slept = state->wake.wait_until(lock, toSteady(wakeAt)) == std::cv_status::timeout;
                const std::uint64_t wokeAt = MonotonicClock::now();
                rest.noteSlept(wokeAt);
                // Only a sleep that ran its course says how late this machine wakes up.
                if (precise && slept) spinWindow.noteWakeUp(wokeAt - wakeAt);
                continue;  // something may have changed while asleep
            }
            // Within the spin window of a precise timer: spin with the lock
            // released so submitters are not held up, then look again.
            lock.unlock();
            while (MonotonicClock::now() < deadline) cpuRelax();
            lock.lock();
            continue;
        }
        SerialQueueTimer::Impl& timer = *due.timer;
        if (timer.interval) {
            // A repeating timer that fell far behind skips the missed ticks.
            timer.deadline = std::max(saturatingAdd(timer.deadline, *timer.interval), now);
        } else {
            timer.armed = false;
        }
        Task handler = timer.handler;
        lock.unlock();
        handler();
        handler = nullptr;
        due = {};
        timerFiredLast = true;
        lock.lock();
    }
}

}  // namespace

SerialQueue::SerialQueue(std::string label, Priority priority)
    : label_(std::move(label)), state_(std::make_shared<State>()) {
    std::promise<ThreadPriority> granted;
    threadPriority_ = granted.get_future().share();
    thread_ = std::thread([state = state_, name = label_, priority, granted = std::move(granted)]() mutable {
        // Thread names are limited to 15 bytes; keep the most specific end of the label.
        const std::string shortName = name.size() > 15 ? name.substr(name.size() - 15) : name;
        pthread_setname_np(pthread_self(), shortName.c_str());
        // Timed waits end when asked, not up to 50 us later as the default slack allows.
        prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
        const ThreadPriority got =
            priority == Priority::userInteractive ? ThreadPriority::raiseCurrentThread() : ThreadPriority{};
        granted.set_value(got);
        runLoop(state, got);
    });
}

SerialQueue::~SerialQueue() {
    std::deque<Task> discarded;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        discarded.swap(state_->tasks);
    }
    state_->wake.notify_all();
    discarded.clear();  // without the lock: a closure's destructor may submit here
    if (isCurrent()) {
        thread_.detach();  // destroyed from its own task: the loop ends when that task returns
    } else {
        thread_.join();
    }
}

void SerialQueue::async(Task task) {
    // Once the task is queued it may run and destroy this queue before the
    // notification below is done: hold the state, and touch nothing else.
    const std::shared_ptr<State> state = state_;
    {
        std::lock_guard lock(state->mutex);
        if (state->stopping) return;
        state->tasks.push_back(std::move(task));
    }
    state->wake.notify_one();
}

std::shared_ptr<Timer> SerialQueue::makeTimer(Task handler) {
    auto impl = std::make_shared<SerialQueueTimer::Impl>();
    impl->queue = state_;
    impl->handler = std::move(handler);
    {
        std::lock_guard lock(state_->mutex);
        state_->timers.push_back(impl);
    }
    return std::make_shared<SerialQueueTimer>(impl);
}

std::uint64_t SerialQueue::now() const { return MonotonicClock::now(); }

}  // namespace brevanor
