#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/fake/ManualMainQueue.h"

namespace brevanor {

// The main queue of a test whose subject runs on real threads: tasks run on the
// test thread when it drains them, and the test can block until a condition
// holds instead of sleeping for a guessed time.
class WaitableMainQueue final : public MainQueue {
public:
    void post(Task task) override {
        inner_.post(std::move(task));
        signal();
    }
    void postAfter(std::uint64_t delayNanos, Task task) override {
        inner_.postAfter(delayNanos, std::move(task));
        signal();
    }

    // Runs posted tasks on the calling thread until `done` holds; false after `timeout`.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(10'000)) {
        const auto giveUpAt = std::chrono::steady_clock::now() + timeout;
        while (true) {
            std::uint64_t seen;
            {
                std::lock_guard lock(mutex_);
                seen = posts_;
            }
            inner_.runReady();
            if (done()) return true;
            std::unique_lock lock(mutex_);
            if (!wake_.wait_until(lock, giveUpAt, [&] { return posts_ != seen; })) {
                lock.unlock();
                inner_.runReady();
                return done();
            }
        }
    }

    int runReady() { return inner_.runReady(); }

private:
    void signal() {
        {
            std::lock_guard lock(mutex_);
            ++posts_;
        }
        wake_.notify_all();
    }

    ManualMainQueue inner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t posts_ = 0;
};

}  // namespace brevanor
