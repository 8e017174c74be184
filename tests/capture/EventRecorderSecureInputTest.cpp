#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "base/time/MonotonicClock.h"
#include "core/capture/EventRecorder.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::waitUntil;

// The Secure Input watch polls on the recorder's own queue and reports on the
// main queue; these tests drain a manual main queue and wait for the polls.
class EventRecorderSecureInputConcurrency : public ::testing::Test {
protected:
    void SetUp() override {
        recorder->onSecureInputChanged = [this](bool active) { reports.push_back(active); };
    }
    void start() { recorder->start(nullptr, MonotonicClock::now(), EnvironmentSnapshot::empty()); }
    void stop() { recorder->stop(MonotonicClock::now(), std::nullopt, std::nullopt, ""); }
    // Waits for the next report to be posted and runs it.
    bool awaitReport() {
        const std::size_t before = reports.size();
        return waitUntil([&] {
            mainQueue->runReady();
            return reports.size() > before;
        });
    }

    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<FakeSecureInput> secureInput = std::make_shared<FakeSecureInput>();
    std::shared_ptr<EventRecorder> recorder = std::make_shared<EventRecorder>(mainQueue, secureInput, nullptr);
    std::vector<bool> reports;  // on the test's thread, which plays the main thread
};

TEST_F(EventRecorderSecureInputConcurrency, OnAtStartIsReportedAtOnceAndOffAtStop) {
    secureInput->setEnabled(true);
    start();
    ASSERT_TRUE(awaitReport());
    EXPECT_EQ(reports, std::vector{true});
    EXPECT_TRUE(recorder->isSecureInputActive());

    stop();  // Secure Input itself is still on
    EXPECT_FALSE(recorder->isSecureInputActive());
    mainQueue->runReady();
    EXPECT_EQ(reports, (std::vector{true, false}));
}

TEST_F(EventRecorderSecureInputConcurrency, ChangesWhileRecordingAreReportedInOrder) {
    start();
    ASSERT_TRUE(waitUntil([&] { return secureInput->readCount() >= 1; }));
    secureInput->setEnabled(true);
    ASSERT_TRUE(awaitReport());
    secureInput->setEnabled(false);
    ASSERT_TRUE(awaitReport());
    EXPECT_EQ(reports, (std::vector{true, false}));
    stop();
    mainQueue->runReady();
    EXPECT_EQ(reports, (std::vector{true, false}));  // off already: nothing more at stop
}

TEST_F(EventRecorderSecureInputConcurrency, PollingEndsWithTheRecording) {
    start();
    ASSERT_TRUE(waitUntil([&] { return secureInput->readCount() >= 2; }));  // polls repeat
    stop();
    const int readsAtStop = secureInput->readCount();
    secureInput->setEnabled(true);
    std::this_thread::sleep_for(3 * std::chrono::nanoseconds(EventRecorder::secureInputPollInterval));
    mainQueue->runReady();
    EXPECT_LE(secureInput->readCount(), readsAtStop + 1);  // at most a poll that was under way
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(recorder->isSecureInputActive());
}

TEST_F(EventRecorderSecureInputConcurrency, ReportsNeverArriveStaleAfterAStop) {
    // Each round ends with Secure Input on but the recording stopped: whatever a
    // racing poll did, the last report must say off.
    secureInput->setEnabled(true);
    for (int round = 0; round < 20; ++round) {
        start();
        ASSERT_TRUE(awaitReport());
        stop();
        mainQueue->runReady();
        ASSERT_FALSE(reports.back()) << "round " << round;
    }
}

TEST_F(EventRecorderSecureInputConcurrency, AReportForAGoneRecorderIsDropped) {
    secureInput->setEnabled(true);
    start();
    ASSERT_TRUE(waitUntil([&] { return mainQueue->pendingCount() > 0; }));
    // The poll that posted the report may still hold the recorder for a moment.
    const std::weak_ptr<EventRecorder> gone = recorder;
    recorder.reset();
    ASSERT_TRUE(waitUntil([&] { return gone.expired(); }));
    mainQueue->runReady();
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace brevanor
