#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
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

TEST(SerialQueueConcurrency, RunsTasksInSubmissionOrderOnOneNamedThread) {
    SerialQueue queue("com.brevanor.test.ordering");
    std::vector<int> order;  // touched only by the queue's thread until `done`
    std::vector<std::thread::id> threads;
    std::string threadName;
    std::promise<void> done;
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            order.push_back(i);
            threads.push_back(std::this_thread::get_id());
        });
    }
    queue.async([&] {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        threadName = name;
        EXPECT_TRUE(queue.isCurrent());
        done.set_value();
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);

    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
    for (const auto& id : threads) EXPECT_EQ(id, threads.front());
    EXPECT_NE(threads.front(), std::this_thread::get_id());
    EXPECT_FALSE(queue.isCurrent());
    // Thread names hold 15 bytes: the most specific end of the label.
    EXPECT_EQ(threadName, "r.test.ordering");
}

TEST(SerialQueueConcurrency, KeepsEachSubmittersOrderAcrossManyThreads) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    SerialQueue queue("com.brevanor.test.many");
    std::vector<std::vector<int>> seen(kThreads);  // touched only by the queue's thread
    std::atomic<int> running{0};
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t) {
        submitters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.async([&, t, i] {
                    ++running;
                    EXPECT_EQ(running.load(), 1) << "two tasks ran at once";
                    seen[t].push_back(i);
                    --running;
                });
            }
        });
    }
    for (auto& thread : submitters) thread.join();
    std::promise<void> done;
    queue.async([&] { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);

    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(kPerThread));
        for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(seen[t][i], i);
    }
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

TEST(SerialQueueConcurrency, CanBeDestroyedFromItsOwnTask) {
    auto queue = std::make_unique<SerialQueue>("com.brevanor.test.self");
    std::promise<void> done;
    queue->async([&] {
        queue.reset();
        done.set_value();
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(queue, nullptr);
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

TEST(SerialQueueConcurrency, TasksSubmittedFromATaskRunAfterIt) {
    SerialQueue queue("com.brevanor.test.nested");
    std::vector<std::string> order;
    std::promise<void> done;
    queue.async([&] {
        queue.async([&] {
            order.push_back("inner");
            done.set_value();
        });
        order.push_back("outer");
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_EQ(order, (std::vector<std::string>{"outer", "inner"}));
}

}  // namespace
}  // namespace brevanor
