#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <thread>

#include "app/control/QtMainQueue.h"
#include "base/time/MonotonicClock.h"

namespace brevanor {
namespace {

// Runs the event loop until `done` is called or a generous timeout passes.
bool runLoopUntil(const std::function<void(std::function<void()> done)>& start) {
    QEventLoop loop;
    bool finished = false;
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    start([&] {
        finished = true;
        loop.quit();
    });
    if (!finished) loop.exec();
    return finished;
}

TEST(QtMainQueue, TasksPostedFromAnyThreadRunOnTheMainThreadInOrderAndDelayedOnesNotBeforeTheirDelay) {
    QtMainQueue queue;
    std::vector<int> order;
    bool allOnMainThread = true;
    ASSERT_TRUE(runLoopUntil([&](std::function<void()> done) {
        std::thread poster([&, done] {
            for (int i = 0; i < 100; ++i) {
                queue.post([&, i] {
                    allOnMainThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
                    order.push_back(i);
                });
            }
            queue.post(done);
        });
        poster.join();
    }));
    ASSERT_EQ(order.size(), 100u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_TRUE(allOnMainThread);

    // A delayed task never runs before its delay, whichever thread posted it.
    constexpr std::uint64_t kDelay = 30'000'000;
    std::uint64_t postedAt = 0;
    std::uint64_t ranAt = 0;
    std::uint64_t immediateAt = 0;
    ASSERT_TRUE(runLoopUntil([&](std::function<void()> done) {
        std::thread poster([&, done] {
            postedAt = MonotonicClock::now();
            queue.postAfter(kDelay, [&, done] {
                ranAt = MonotonicClock::now();
                done();
            });
            queue.postAfter(0, [&] { immediateAt = MonotonicClock::now(); });
        });
        poster.join();
    }));
    EXPECT_GE(ranAt - postedAt, kDelay);
    EXPECT_NE(immediateAt, 0u);
    EXPECT_LT(immediateAt, ranAt);
}

TEST(QtMainQueue, TasksStillPendingWhenTheQueueGoesAwayNeverRun) {
    bool ran = false;
    {
        QtMainQueue queue;
        queue.post([&] { ran = true; });
        queue.postAfter(1'000'000, [&] { ran = true; });
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace brevanor
