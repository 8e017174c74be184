#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/SerialQueue.h"
#include "core/dispatch/Timer.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::waitUntil;

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// Firing times of one timer, as seen by its handler.
struct Firings {
    std::mutex mutex;
    std::vector<std::uint64_t> times;
    void note() {
        std::lock_guard lock(mutex);
        times.push_back(MonotonicClock::now());
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return times.size();
    }
};

// Runs `task` on `queue` and waits for it: everything submitted before has run.
void runOn(
    SerialQueue& queue, std::function<void()> task = [] {}) {
    std::promise<void> done;
    queue.async([&] {
        task();
        done.set_value();
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
}

// Waits until a timer made now fires `nanos` from now: the firings of the
// queue's earlier timers that were due by then have had their turn.
void waitForALaterTimer(SerialQueue& queue, std::uint64_t nanos) {
    std::atomic<bool> fired{false};
    auto witness = queue.makeTimer([&] { fired = true; });
    witness->schedule(MonotonicClock::now() + nanos);
    ASSERT_TRUE(waitUntil([&] { return fired.load(); }));
}

// Scheduled far away, then again: the later schedule replaces the deadline.
TEST(TimerConcurrency, OneShotFiresOnceNoSoonerThanItsLatestDeadline) {
    SerialQueue queue("com.brevanor.test.oneshot");
    Firings firings;
    auto timer = queue.makeTimer([&] { firings.note(); });
    timer->schedule(MonotonicClock::now() + 3600'000 * kMs);
    const std::uint64_t deadline = MonotonicClock::now() + 20 * kMs;
    timer->schedule(deadline, std::nullopt, 5 * kMs);
    EXPECT_TRUE(timer->isScheduled());
    ASSERT_TRUE(waitUntil([&] { return firings.count() == 1; }));
    EXPECT_GE(firings.times[0], deadline);
    EXPECT_FALSE(timer->isScheduled());

    waitForALaterTimer(queue, 30 * kMs);
    EXPECT_EQ(firings.count(), 1u);
}

TEST(TimerConcurrency, RepeatingTimerKeepsItsIntervalUntilCancelled) {
    SerialQueue queue("com.brevanor.test.repeat");
    Firings firings;
    auto timer = queue.makeTimer([&] { firings.note(); });
    const std::uint64_t first = MonotonicClock::now() + 5 * kMs;
    timer->schedule(first, 10 * kMs, 2 * kMs);
    ASSERT_TRUE(waitUntil([&] { return firings.count() >= 4; }));
    timer->cancel();
    EXPECT_FALSE(timer->isScheduled());
    {
        std::lock_guard lock(firings.mutex);
        for (std::size_t k = 0; k < firings.times.size(); ++k) EXPECT_GE(firings.times[k], first + k * 10 * kMs);
    }
    runOn(queue);  // a firing under way when cancel returned has finished now
    const std::size_t afterCancel = firings.count();
    waitForALaterTimer(queue, 40 * kMs);
    EXPECT_EQ(firings.count(), afterCancel);
}

// Cancelled or destroyed before it fires, or cancelled while due behind a busy queue.
TEST(TimerConcurrency, TimerCancelledOrDestroyedBeforeItRunsNeverRuns) {
    SerialQueue queue("com.brevanor.test.cancel");
    std::atomic<int> fired{0};
    auto cancelled = queue.makeTimer([&] { ++fired; });
    cancelled->schedule(MonotonicClock::now() + 20 * kMs);
    cancelled->cancel();
    auto destroyed = queue.makeTimer([&] { ++fired; });
    destroyed->schedule(MonotonicClock::now() + 10 * kMs);
    destroyed.reset();
    waitForALaterTimer(queue, 40 * kMs);
    EXPECT_EQ(fired.load(), 0);

    std::promise<void> release;
    std::promise<void> started;
    queue.async([&, wait = release.get_future().share()] {
        started.set_value();
        wait.wait();
    });
    started.get_future().wait();
    const std::uint64_t deadline = MonotonicClock::now() + 2 * kMs;
    cancelled->schedule(deadline);
    ASSERT_TRUE(waitUntil([&] { return MonotonicClock::now() > deadline; }));
    cancelled->cancel();  // due, but the queue is still busy with the task above
    release.set_value();
    runOn(queue);
    EXPECT_EQ(fired.load(), 0);
}

TEST(TimerConcurrency, OneShotReArmedFromItsHandlerFiresAgain) {
    SerialQueue queue("com.brevanor.test.rearm");
    std::atomic<int> fired{0};
    std::shared_ptr<Timer> timer;
    timer = queue.makeTimer([&] {
        if (++fired < 3) timer->schedule(MonotonicClock::now() + kMs);
    });
    timer->schedule(MonotonicClock::now());
    ASSERT_TRUE(waitUntil([&] { return fired.load() == 3; }));
    runOn(queue);
    EXPECT_EQ(fired.load(), 3);
    EXPECT_FALSE(timer->isScheduled());
}

// Neither starves the other: a due timer fires while tasks keep arriving, and
// a timer that is always due lets a task run.
TEST(TimerConcurrency, DueTimersAndArrivingTasksBothGetTheirTurn) {
    SerialQueue queue("com.brevanor.test.flood");
    std::atomic<bool> flooding{true};
    std::function<void()> resubmit = [&] {
        if (flooding) queue.async(resubmit);
    };
    queue.async(resubmit);
    std::atomic<int> fired{0};
    auto timer = queue.makeTimer([&] { ++fired; });
    timer->schedule(MonotonicClock::now() + kMs, 0);  // due from then on, always
    EXPECT_TRUE(waitUntil([&] { return fired.load() > 10; }));
    flooding = false;
    runOn(queue);
    timer->cancel();
}

TEST(TimerConcurrency, DeadlinesAtTheEndOfTimeNeverFireAndLeaveTheThreadAsleep) {
    SerialQueue queue("com.brevanor.test.never");
    std::atomic<int> never{0};
    auto forever = queue.makeTimer([&] { ++never; });
    forever->schedule(kNever);
    std::atomic<int> once{0};
    auto huge = queue.makeTimer([&] { ++once; });
    huge->schedule(MonotonicClock::now(), kNever);  // fires, then its next deadline is past the range

    ASSERT_TRUE(waitUntil([&] { return once.load() == 1; }));
    auto threadCpuNanos = [&] {
        std::uint64_t nanos = 0;
        runOn(queue, [&] {
            timespec ts{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
            nanos = static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000 + static_cast<std::uint64_t>(ts.tv_nsec);
        });
        return nanos;
    };
    const std::uint64_t before = threadCpuNanos();
    std::this_thread::sleep_for(200ms);  // a window to measure in, not a deadline to wait for
    const std::uint64_t used = threadCpuNanos() - before;

    EXPECT_LT(used, 50 * kMs) << "the queue's thread spins while waiting for a timer far away";
    EXPECT_EQ(never.load(), 0);
    EXPECT_EQ(once.load(), 1);
    EXPECT_TRUE(forever->isScheduled());
}

// Tells when it has been destroyed; declared first, it goes last.
struct DestructionSignal {
    std::promise<void> promise;
    ~DestructionSignal() { promise.set_value(); }
};

// An object that owns a queue and a timer on it; the handler holds it weakly.
struct TimerOwner {
    DestructionSignal destroyed;
    SerialQueue queue{"com.brevanor.test.tickowner"};
    std::shared_ptr<Timer> timer;
};

TEST(TimerConcurrency, OwnerWhoseLastReferenceEndsInItsTimerHandlerIsDestroyed) {
    auto owner = std::make_shared<TimerOwner>();
    auto destroyed = owner->destroyed.promise.get_future();
    std::promise<void> holding;
    std::promise<void> dropped;
    owner->timer = owner->queue.makeTimer(
        [weak = std::weak_ptr<TimerOwner>(owner), &holding, wait = dropped.get_future().share()] {
            auto self = weak.lock();
            if (!self) return;
            holding.set_value();
            wait.wait();
            // `self` is the last reference now: the owner, its timer and its queue go here.
        });
    owner->timer->schedule(MonotonicClock::now());
    holding.get_future().wait();
    owner.reset();
    dropped.set_value();
    EXPECT_EQ(destroyed.wait_for(10s), std::future_status::ready);
}

}  // namespace
}  // namespace brevanor
