#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/SerialQueue.h"
#include "core/dispatch/ThreadPriority.h"
#include "core/dispatch/Timer.h"
#include "tests/support/PrivateDBus.h"
#include "tests/support/RealtimeKitStandIn.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::PrivateDBus;
using testing::RealtimeKitStandIn;
using Request = RealtimeKitStandIn::Request;

constexpr RealtimeKitClient::Limits kDebianLimits{
    .maxRealtimePriority = 20, .minNiceLevel = -15, .rtTimeUSecMax = 200'000};

bool threadMay(int capability) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
}

// Capabilities belong to a thread: this one gives up the right to raise itself
// (or anyone), as an ordinary user's thread has none, while the stand-in's
// thread keeps it to apply what it grants.
void giveUpRaisingItself() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return;
    data[CAP_SYS_NICE / 32].effective &= ~(1u << (CAP_SYS_NICE % 32));
    syscall(SYS_capset, &header, data);
}

struct Outcome {
    ThreadPriority priority;
    pid_t thread = 0;
    int policy = -1;
    int niceLevel = 0;
};

Outcome raiseAnOrdinaryThread() {
    Outcome outcome;
    std::thread([&] {
        giveUpRaisingItself();
        outcome.thread = gettid();
        outcome.priority = ThreadPriority::raiseCurrentThread();
        outcome.policy = sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
        outcome.niceLevel = getpriority(PRIO_PROCESS, static_cast<id_t>(outcome.thread));
    }).join();
    return outcome;
}

// A private bus stands for the system bus, and the process has the limits of an
// ordinary user's session: no real-time priority and no higher nice level of its own.
class ThreadPriorityLinux : public ::testing::Test {
protected:
    void SetUp() override {
        bus_ = PrivateDBus::start();
        if (!bus_) GTEST_SKIP() << "dbus-daemon (Debian package dbus-daemon) is needed for a private bus";
        busAddress_.emplace("DBUS_SYSTEM_BUS_ADDRESS", bus_->address());
        for (const int resource : {RLIMIT_RTPRIO, RLIMIT_NICE, RLIMIT_RTTIME}) {
            rlimit limit{};
            getrlimit(resource, &limit);
            saved_.push_back({resource, limit});
            limit.rlim_cur = 0;
            if (resource != RLIMIT_RTTIME) setrlimit(resource, &limit);
        }
    }

    void TearDown() override {
        // Raising a hard limit again needs privilege; without it the process keeps the lower one.
        for (const auto& [resource, limit] : saved_) setrlimit(resource, &limit);
    }

    std::unique_ptr<PrivateDBus> bus_;
    std::optional<testing::ScopedEnvironment> busAddress_;
    std::vector<std::pair<int, rlimit>> saved_;
};

TEST_F(ThreadPriorityLinux, GetsRealtimeThroughRealtimeKitUnderItsRunTimeLimit) {
    if (!threadMay(CAP_SYS_NICE)) GTEST_SKIP() << "the stand-in needs CAP_SYS_NICE to apply what it grants";
    const RealtimeKitStandIn kit(bus_->address(), kDebianLimits, true);

    const Outcome outcome = raiseAnOrdinaryThread();

    EXPECT_EQ(outcome.priority.kind, ThreadPriority::Kind::realtime) << outcome.priority.description();
    EXPECT_TRUE(outcome.priority.throughRealtimeKit);
    EXPECT_EQ(outcome.policy, SCHED_FIFO);
    EXPECT_EQ(kit.requests(), (std::vector<Request>{{"MakeThreadRealtime", outcome.thread, 1}}));
    rlimit runTime{};
    getrlimit(RLIMIT_RTTIME, &runTime);
    EXPECT_LE(runTime.rlim_max, 200'000u);
    EXPECT_EQ(outcome.priority.longestRunNanos, runTime.rlim_cur * 1000);
}

TEST_F(ThreadPriorityLinux, FallsBackToTheNiceLevelRealtimeKitAllows) {
    if (!threadMay(CAP_SYS_NICE)) GTEST_SKIP() << "the stand-in needs CAP_SYS_NICE to apply what it grants";
    RealtimeKitClient::Limits limits = kDebianLimits;
    limits.minNiceLevel = -5;  // above the -10 asked for: the service's own limit wins
    const RealtimeKitStandIn kit(bus_->address(), limits, false);

    const Outcome outcome = raiseAnOrdinaryThread();

    EXPECT_EQ(outcome.priority.kind, ThreadPriority::Kind::raisedNice) << outcome.priority.description();
    EXPECT_EQ(outcome.priority.level, -5);
    EXPECT_TRUE(outcome.priority.throughRealtimeKit);
    EXPECT_EQ(outcome.niceLevel, -5);
    EXPECT_EQ(outcome.policy, SCHED_OTHER);
    EXPECT_EQ(kit.requests(), (std::vector<Request>{{"MakeThreadRealtime", outcome.thread, 1},
                                                    {"MakeThreadHighPriority", outcome.thread, -5}}));
    EXPECT_NE(outcome.priority.refusal.find("RealtimeKit: Operation not permitted"), std::string::npos)
        << outcome.priority.refusal;
}

TEST_F(ThreadPriorityLinux, StaysNormalAndSaysWhyWithoutRealtimeKit) {
    // A bus where nobody has the service's name, then no bus at all.
    for (const char* why : {"RealtimeKit: ", "no system bus"}) {
        const Outcome outcome = raiseAnOrdinaryThread();
        EXPECT_EQ(outcome.priority.kind, ThreadPriority::Kind::normal);
        EXPECT_EQ(outcome.policy, SCHED_OTHER);
        EXPECT_NE(outcome.priority.refusal.find(why), std::string::npos) << outcome.priority.refusal;
        busAddress_->set("unix:path=/nonexistent/brevanor-test-bus");
    }
}

// RealtimeKit's condition, RLIMIT_RTTIME, ends a process whose real-time thread runs
// that long without sleeping. A queue whose deadlines lie closer together than its
// spin window never sleeps on its own; it must rest in time.
TEST_F(ThreadPriorityLinux, RealtimeQueueOutlivesItsRunTimeLimitWhileSpinning) {
    rlimit runTime{100'000, 100'000};  // microseconds
    ASSERT_EQ(setrlimit(RLIMIT_RTTIME, &runTime), 0);
    SerialQueue queue("com.brevanor.test.realtime-rest", SerialQueue::Priority::userInteractive);
    const ThreadPriority priority = queue.threadPriority();
    if (priority.kind != ThreadPriority::Kind::realtime) {
        GTEST_SKIP() << "no real-time priority for this process: " << priority.refusal;
    }
    ASSERT_EQ(priority.longestRunNanos, 100'000'000u);

    std::atomic<int> fired{0};
    const auto timer = queue.makeTimer([&] { ++fired; });
    timer->schedule(MonotonicClock::now(), 20'000, 0);  // 20 us apart: always within the spin window
    std::this_thread::sleep_for(400ms);                 // four times the limit; the kernel would have ended us
    timer->cancel();
    EXPECT_GT(fired.load(), 1000);
}

}  // namespace
}  // namespace brevanor
