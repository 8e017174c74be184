#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/dispatch/SerialQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::waitUntil;

// A flag a task can wait on, opened by the test or by a destructor.
struct Gate {
    std::promise<void> opened;
    std::shared_future<void> wait = opened.get_future().share();
    void open() { opened.set_value(); }
};

// Tasks from four threads run one at a time, each submitter's in its order,
// on one thread of the queue's own, named by the most specific end of the label.
TEST(SerialQueueConcurrency, RunsEachSubmittersTasksInOrderOneAtATimeOnOneNamedThread) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    SerialQueue queue("com.brevanor.test.ordering");
    std::vector<std::vector<int>> seen(kThreads);  // touched only by the queue's thread
    std::set<std::thread::id> threads;
    std::atomic<int> running{0};
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t) {
        submitters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.async([&, t, i] {
                    ++running;
                    EXPECT_EQ(running.load(), 1) << "two tasks ran at once";
                    seen[t].push_back(i);
                    threads.insert(std::this_thread::get_id());
                    --running;
                });
            }
        });
    }
    for (auto& thread : submitters) thread.join();
    std::string threadName;
    std::promise<void> done;
    queue.async([&] {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        threadName = name;  // thread names hold 15 bytes
        EXPECT_TRUE(queue.isCurrent());
        done.set_value();
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);

    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(kPerThread));
        for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(seen[t][i], i);
    }
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(*threads.begin(), std::this_thread::get_id());
    EXPECT_FALSE(queue.isCurrent());
    EXPECT_EQ(threadName, "r.test.ordering");
}

TEST(SerialQueueConcurrency, DestructionFinishesTheRunningTaskAndDiscardsPendingWork) {
    auto queue = std::make_unique<SerialQueue>("com.brevanor.test.pending");
    Gate started;
    auto release = std::make_shared<Gate>();
    std::atomic<bool> firstFinished{false};
    std::atomic<bool> pendingRan{false};
    queue->async([&, wait = release->wait] {
        started.open();
        wait.wait();
        firstFinished = true;
    });
    // The pending task's closure opens the gate when it is destroyed, and
    // submits to the dying queue from its destructor: both must be harmless.
    struct OpenOnDestruction {
        std::shared_ptr<Gate> gate;
        SerialQueue* queue;
        ~OpenOnDestruction() {
            queue->async([] {});
            gate->open();
        }
    };
    auto opener = std::make_shared<OpenOnDestruction>(release, queue.get());
    queue->async([&, opener] { pendingRan = true; });
    opener.reset();
    started.wait.wait();

    queue.reset();  // returns once the running task has finished

    EXPECT_TRUE(firstFinished);
    EXPECT_FALSE(pendingRan);
}

// Tells when it has been destroyed; declared before a queue, it goes after it.
struct DestructionSignal {
    std::promise<void> promise;
    ~DestructionSignal() { promise.set_value(); }
};

// An object that owns a queue and whose last reference ends on that queue.
struct QueueOwner {
    DestructionSignal destroyed;
    SerialQueue queue{"com.brevanor.test.owner"};
};

TEST(SerialQueueConcurrency, OwnerReleasedByATaskClosureIsDestroyedOnItsQueue) {
    auto owner = std::make_shared<QueueOwner>();
    auto destroyed = owner->destroyed.promise.get_future();
    Gate submitted;
    owner->queue.async([keep = owner, wait = submitted.wait] { wait.wait(); });
    owner.reset();
    submitted.open();  // the closure now holds the last reference
    EXPECT_EQ(destroyed.wait_for(10s), std::future_status::ready);
}

}  // namespace
}  // namespace brevanor
