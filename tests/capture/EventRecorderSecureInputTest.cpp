#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/time/MonotonicClock.h"
#include "core/capture/EventRecorder.h"
#include "core/dispatch/SerialQueue.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kPoll = EventRecorder::secureInputPollInterval;

// The Secure Input watch polls on the recorder's queue and reports on the main
// queue; the test moves the queue's clock and then delivers the reports.
class EventRecorderSecureInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder->onSecureInputChanged = [this](bool active) { reports.push_back(active); };
    }
    void start() { recorder->start(nullptr, queue->now(), EnvironmentSnapshot::empty()); }
    void stop() { recorder->stop(queue->now(), std::nullopt, std::nullopt, ""); }
    void advance(std::uint64_t nanos) {
        queue->advanceBy(nanos);
        mainQueue->runReady();
    }

    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<ManualTimedQueue> queue = std::make_shared<ManualTimedQueue>();
    std::shared_ptr<FakeSecureInput> secureInput = std::make_shared<FakeSecureInput>();
    std::shared_ptr<EventRecorder> recorder = std::make_shared<EventRecorder>(mainQueue, queue, secureInput, nullptr);
    std::vector<bool> reports;  // on the test's thread, which plays the main thread
};

// Changes are reported at the next poll, polling ends with the recording, Secure
// Input on at a start is reported at once and off at the stop, but not to a gone recorder.
TEST_F(EventRecorderSecureInputTest, ChangesAreReportedAtEachPollAndOffAtTheStopButNotToAGoneRecorder) {
    start();
    advance(0);
    secureInput->setEnabled(true);
    advance(kPoll - 1);
    EXPECT_TRUE(reports.empty());
    advance(1);
    secureInput->setEnabled(false);
    advance(kPoll);
    EXPECT_EQ(reports, (std::vector{true, false}));
    EXPECT_EQ(secureInput->readCount(), 3);

    stop();
    secureInput->setEnabled(true);
    advance(10 * kPoll);
    EXPECT_EQ(secureInput->readCount(), 3);
    EXPECT_EQ(reports, (std::vector{true, false}));  // off already: nothing more at stop
    EXPECT_FALSE(recorder->isSecureInputActive());

    start();
    advance(0);
    EXPECT_EQ(reports, (std::vector{true, false, true}));
    EXPECT_TRUE(recorder->isSecureInputActive());
    stop();  // Secure Input itself is still on
    EXPECT_FALSE(recorder->isSecureInputActive());
    mainQueue->runReady();
    EXPECT_EQ(reports, (std::vector{true, false, true, false}));

    // A report for a recorder that is gone is dropped.
    start();
    queue->runReady();
    ASSERT_EQ(mainQueue->pendingCount(), 1u);
    recorder.reset();
    mainQueue->runReady();
    EXPECT_EQ(reports.size(), 4u);
}

// A poll on the real queue's thread races each stop: whatever it did, the last
// report must say off, for each round ends with Secure Input on but the
// recording stopped.
TEST(EventRecorderSecureInputConcurrency, ReportsNeverArriveStaleAfterAStop) {
    auto mainQueue = std::make_shared<ManualMainQueue>();
    auto secureInput = std::make_shared<FakeSecureInput>();
    auto recorder = std::make_shared<EventRecorder>(
        mainQueue, std::make_shared<SerialQueue>("com.brevanor.test.secure-input"), secureInput, nullptr);
    std::vector<bool> reports;
    recorder->onSecureInputChanged = [&](bool active) { reports.push_back(active); };
    secureInput->setEnabled(true);
    for (int round = 0; round < 20; ++round) {
        recorder->start(nullptr, 0, EnvironmentSnapshot::empty());
        ASSERT_TRUE(testing::waitUntil([&] {
            mainQueue->runReady();
            return reports.size() == std::size_t(2 * round + 1);
        }));
        recorder->stop(0, std::nullopt, std::nullopt, "");
        mainQueue->runReady();
        ASSERT_FALSE(reports.back()) << "round " << round;
    }
}

}  // namespace
}  // namespace brevanor
